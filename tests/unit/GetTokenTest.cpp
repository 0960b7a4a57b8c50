#include "support/ScriptedPlatform.h"
#include "util/GeneralFunctions.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace corvantis;

TEST(GetToken, WalksFieldsThenReturnsEmptyForever)
{
    std::int32_t cursor = 0;
    EXPECT_EQ(GetToken("a;b", cursor, ";"), "a");
    EXPECT_EQ(cursor, 3);
    EXPECT_EQ(GetToken("a;b", cursor, ";"), "b");
    EXPECT_EQ(cursor, -1);
    EXPECT_EQ(GetToken("a;b", cursor, ";"), "");
    EXPECT_EQ(cursor, -1);
    // A trailing separator gives an empty last field.
    cursor = 1;
    EXPECT_EQ(GetToken("x;", cursor, ";"), "x");
    EXPECT_EQ(GetToken("x;", cursor, ";"), "");
    EXPECT_EQ(cursor, -1);
    cursor = 1;
    EXPECT_EQ(GetToken("a} = {b", cursor, "} = {"), "a");
    EXPECT_EQ(GetToken("a} = {b", cursor, "} = {"), "b");
    cursor = 1;
    EXPECT_EQ(GetToken("abXcd", cursor, "x"), "abXcd");
    EXPECT_EQ(cursor, -1);
}

TEST(TextHelpers, SplitPathsOnEitherSeparator)
{
    EXPECT_EQ(FolderOf("file.rcf"), "");
    EXPECT_EQ(FileNameOf("file.rcf"), "file.rcf");
    EXPECT_EQ(FolderOf("C:\\data\\"), "C:\\data");
    EXPECT_EQ(FolderOf("/home/op/cfg/studio.rcf"), "/home/op/cfg");
    EXPECT_EQ(FileNameOf("/home/op/cfg/studio.rcf"), "studio.rcf");
    EXPECT_EQ(TextAfterLast("a.b.c", ".", true), ".c");
    EXPECT_EQ(TextBeforeLast("a.b.c", ".", true), "a.b.");
    EXPECT_EQ(TextBeforeLast("abc", ".", false), "");
    EXPECT_EQ(ReplaceText("Config:*.rcf:", ":", std::string(1, '\0')),
              std::string("Config\0*.rcf\0", 13));
    EXPECT_EQ(ReplaceText("abc", "", "x"), "");
    EXPECT_EQ(StripAtNul(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(StripAtNul("plain"), "plain");
}

TEST(FileHelpers, MissingFileReportsAndGivesMinusOne)
{
    test::ScriptedPlatform platform;
    const auto dir = std::filesystem::temp_directory_path() / "corvantis-filelength";
    std::filesystem::create_directories(dir);
    const auto file = (dir / "edid.bin").string();
    std::ofstream(file, std::ios::binary) << std::string(128, 'x');

    EXPECT_EQ(FileLength(file), 128);
    EXPECT_TRUE(PathExists(file));
    EXPECT_TRUE(PathExists(dir.string()));
    EXPECT_TRUE(platform.messages.empty());

    EXPECT_EQ(FileLength((dir / "missing.bin").string()), -1);
    EXPECT_FALSE(PathExists((dir / "missing.bin").string()));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "File Not Found!");
    std::filesystem::remove_all(dir);
}

TEST(FileHelpers, DataFolderIsCreatedBelowTheUserFolderOrFallsBack)
{
    test::ScriptedPlatform platform;
    const auto root = std::filesystem::temp_directory_path() / "corvantis-datafolder";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    platform.dataFolder = root.string();
    EXPECT_EQ(GetDataFolder("", "Corvantis", "1.2"), (root / "Corvantis" / "1.2").string() + "/");
    EXPECT_TRUE(std::filesystem::is_directory(root / "Corvantis" / "1.2"));

    platform.dataFolder = (root / "absent").string();
    platform.programDir = "/opt/corvantis";
    EXPECT_EQ(GetDataFolder("", "Corvantis", "1.2"), "/opt/corvantis/");
    std::filesystem::remove_all(root);
}

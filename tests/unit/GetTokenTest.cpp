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
}

TEST(FileHelpers, MissingFileReportsAndGivesMinusOne)
{
    test::ScriptedPlatform platform;
    const auto dir = std::filesystem::temp_directory_path() / "corvantis-filelength";
    std::filesystem::create_directories(dir);
    const auto file = (dir / "edid.bin").string();
    std::ofstream(file, std::ios::binary) << std::string(128, 'x');

    EXPECT_EQ(FileLength(file), 128);
    EXPECT_TRUE(platform.messages.empty());

    EXPECT_EQ(FileLength((dir / "missing.bin").string()), -1);
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

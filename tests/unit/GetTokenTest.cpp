#include "support/ScriptedPlatform.h"
#include "util/GeneralFunctions.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace corvantis;

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

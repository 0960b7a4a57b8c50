#include "support/ScriptedPlatform.h"
#include "util/clsDebug.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace corvantis;

TEST(DebugLogTest, UnwritableFileIsReportedOnceAndLoggingStops)
{
    test::ScriptedPlatform platform;
    const auto dir = std::filesystem::temp_directory_path() / "corvantis-log-missing";
    std::filesystem::remove_all(dir);
    clsDebug log((dir / "Debug.txt").string());
    log.SetEnable(true);
    log.Log("one");
    log.Log("two");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text.rfind("Error: ", 0), 0u);
    EXPECT_TRUE(log.Enable()); // the switch stays for the next save
}

#include "support/ScriptedPlatform.h"
#include "util/clsDebug.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace corvantis;

namespace {

class DebugLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("corvantis-log-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
        m_path = (m_dir / "Debug.txt").string();
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string contents() const
    {
        std::ifstream in(m_path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    test::ScriptedPlatform m_platform;
    std::filesystem::path m_dir;
    std::string m_path;
};

} // namespace

TEST_F(DebugLogTest, OneSessionWithTimeStampsIndentedAndEscapedParameters)
{
    {
        clsDebug log(m_path);
        log.setClock([] {
            std::tm t{};
            t.tm_year = 2026 - 1900;
            t.tm_mon = 2;
            t.tm_mday = 7;
            t.tm_hour = 9;
            t.tm_min = 5;
            t.tm_sec = 3;
            t.tm_isdst = -1;
            return std::chrono::system_clock::from_time_t(std::mktime(&t));
        });
        log.SetEnable(true);
        log.SetEnable(true);
        log.IndentIncr("A");
        log.IndentIncr("B");
        log.Log("a\tmsg", {"a\tb\r\n", "2"});
        log.IndentDec();
        log.IndentDec();
        log.IndentDec();
        log.Log("y");
    }
    EXPECT_EQ(contents(), "\r\n" + std::string(26, '=') +
                              "\r\n3/7/26 09:05:03\tSession Started\r\n3/7/26 09:05:03\tA\r\n"
                              "3/7/26 09:05:03\t\tB\r\n"
                              "3/7/26 09:05:03\t\t\ta\tmsg\ta{Tb}b{Cr}{Lf}\t2\r\n"
                              "3/7/26 09:05:03\t\ty\r\n");
}

TEST_F(DebugLogTest, UnwritableFileIsReportedOnceAndLoggingStops)
{
    clsDebug log((m_dir / "no-such-folder" / "Debug.txt").string());
    log.SetEnable(true);
    log.Log("one");
    log.Log("two");
    ASSERT_EQ(m_platform.messages.size(), 1u);
    EXPECT_EQ(m_platform.messages[0].title, "Sub clsDebug.Startup");
    EXPECT_EQ(m_platform.messages[0].text.rfind("Error: ", 0), 0u);
    EXPECT_TRUE(log.Enable()); // the switch stays for the next save
}

#include "config/ConfigFile.h"

#include "support/RouterSpec.h"
#include "support/ScriptedPlatform.h"
#include "util/Version.h"
#include "util/clsDebug.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

using namespace corvantis;
namespace fs = std::filesystem;

namespace {

constexpr const char *kHeader = "CV ConfigFile 1.2\r\n";
const std::string kKeptInRcf = "Not everything in in.rcf could be loaded. The file will be kept "
                               "as in.rcf.bak before it is next saved.";

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int run = 0;
        m_dir = fs::temp_directory_path() /
                ("corvantis-config-" + std::to_string(::getpid()) + "-" + std::to_string(++run));
        fs::create_directories(m_dir);
        m_platform.dataFolder = m_dir.string();
        DebugLog().SetEnable(false);
    }
    void TearDown() override
    {
        EXPECT_TRUE(m_platform.unexpected.empty());
        fs::remove_all(m_dir);
    }

    std::string pathOf(const std::string &name) const { return (m_dir / name).string(); }
    std::string write(const std::string &name, const std::string &bytes) const
    {
        std::ofstream(pathOf(name), std::ios::binary) << bytes;
        return pathOf(name);
    }
    long fileCount() const { return std::distance(fs::directory_iterator(m_dir), {}); }
    static std::string read(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Loads a file with this text after the header line.
    void load(const std::string &body, Configuration &config)
    {
        auto path = write("in.rcf", kHeader + body);
        ConfigLoad(path, false, config);
    }
    void load(const std::string &body) { load(body, m_config); }
    // Returns the file written: a known configuration file wins over the given name.
    std::string save(Configuration &config, const std::string &name = "out.rcf")
    {
        auto path = pathOf(name);
        ConfigSave(path, true, config);
        return path;
    }

    test::ScriptedPlatform m_platform;
    fs::path m_dir;
    Configuration m_config;
};

} // namespace

TEST_F(ConfigFileTest, FileThatIsNoConfigurationOrCannotBeReadChangesNothing)
{
    m_config.routers.set(2, test::makeRouter({2, 3, 4, 2, 4}));
    m_config.settings.RouterTimeout = 5;
    const std::string notOurs =
        "This is not a valid configuration file for this version of the program";
    write("lower.rcf", "cv ConfigFile 1.2\r\nRouter Timeout: 1\r\n");
    fs::resize_file(write("huge.rcf", kHeader), kMaxConfigFileBytes + 1);
    for (const auto &[name, says] : {std::pair{"lower.rcf", notOurs},
                                     {"missing.rcf", "Error (section 3): "},
                                     {"huge.rcf", "Error (section 3): "}}) {
        m_platform.clear();
        auto path = pathOf(name);
        ConfigLoad(path, false, m_config);
        ASSERT_EQ(m_platform.messages.size(), 1u) << name;
        EXPECT_EQ(m_platform.messages[0].text.rfind(says, 0), 0u) << m_platform.messages[0].text;
    }
    EXPECT_EQ(m_config.routers.MaxRouter(), 2);
    EXPECT_EQ(m_config.settings.RouterTimeout, 5.0f);
    EXPECT_FALSE(m_config.settings.ConfigLoaded);
    EXPECT_TRUE(m_config.settings.ConfigFilePath.empty());
}

// Each load after the last: what a file leaves out must not survive from the one before.
TEST_F(ConfigFileTest, LoadedValuesAreSavedBackTheSameWay)
{
    const std::string v102 = "Version: 1.0200\r\nRouter Timeout: ";
    const struct {
        std::string body;
        std::string saved;
    } cases[] = {
        // Keys are case-insensitive but not indented.
        {"COM PORT: 3\r\n comm type: 1\r\nMaTrIx SiZe: -1\r\nRemote Type: 1.5\r\n",
         "Com Port: 3\r\nRouter Timeout: 0.2\r\nComm Type: 0\r\nRemote Type: 2\r\n"
         "Matrix Size: -1\r\n"},
        {"Com Port: 8\r\n", "Com Port: 0\r\n"},
        {"Com Port: 3\r\nPort Address:  rfc2217://[::1]:7000 \r\n",
         "\r\nCom Port: 3\r\nPort Address: rfc2217://[::1]:7000\r\nRouter Timeout"},
        // Timeouts from 0 to 60, with a point or a comma.
        {v102 + "60\r\n", "\nRouter Timeout: 60\r\n"},
        {v102 + "60.5\r\n", "\nRouter Timeout: 0.2\r\n"},
        {v102 + "1,5\r\n", "\nRouter Timeout: 1.5\r\n"},
        // Files before 1.1.11 wrote 0 where they meant the default.
        {"Version: 1.0110\r\nRouter Timeout: 0\r\n", "\nRouter Timeout: 0.2\r\n"},
        {"Version: 1.0111\r\nRouter Timeout: 0\r\n", "\nRouter Timeout: 0\r\n"},
        // The alive poll's round over every router is kept when switched off.
        {"Poll Round: 0\r\n", "\r\nPoll Round: 0\r\n"},
        // Names keep their colons; Windows-1252 and LF line ends as older systems wrote them,
        // with one line added in UTF-8 later.
        {"Router: 3; 1; 1; 0; 0; 0; 0;Caf\xE9; Cam: 2; Deck 10:30; \nMatrix Size: -1\n"
         "Router: 3; 2; 0; 0; 0; 0; 0;Cam\xC3\xA9ra; Out; \n",
         "Router: 3; 1; 1; 0; 0; 0; 0;Caf\xC3\xA9; Cam: 2; Deck 10:30; \r\nRouter: 3; 2; 0; 0; 0; "
         "0; "
         "0;Cam\xC3\xA9ra; Out; \r\nMatrix Size: -1\r\n"},
        // The macros are replaced only by a file that has the section; reading goes on after it.
        {"Matrix Size: 0\r\n", "Begin Macros\r\n  Macro 01: Kept; \r\nEnd Macros"},
        {"Begin Macros\r\n  Macro 02: Two; {0, 1} = {2, 3}; \r\nEnd Macros\r\nMatrix Size: -1\r\n",
         "Matrix Size: -1\r\nBegin Macros\r\n  Macro 02: Two; {0, 1} = {2, 3}; \r\nEnd Macros"},
        // The gap from 0 to 1, written only when it is not the default.
        {"Command Gap: 0\r\n", "\r\nRouter Timeout: 0.2\r\nCommand Gap: 0\r\nComm Type"},
        {"Command Gap: 0,05\r\n", "\r\nCommand Gap: 0.05\r\n"},
        {"Command Gap: 0.2\r\n", "\r\nRouter Timeout: 0.2\r\nComm Type"},
    };
    m_config.macros.SetMacroName(1, "Kept");
    m_config.macros.SetMacro(1, std::vector<std::uint32_t>{});
    for (const auto &c : cases) {
        m_config.settings.RouterTimeout = 9;
        m_config.settings.CommandGap = 0.5f;
        load(c.body);
        EXPECT_NE(ConfigText(m_config).find(c.saved), std::string::npos) << c.body << "\n"
                                                                         << ConfigText(m_config);
    }
    EXPECT_TRUE(m_platform.messages.empty());
}

// The gap's range is the setup dialog's rule (SetupDialogModelTest); here an empty one.
TEST_F(ConfigFileTest, RunTimeFailuresNameTheirSectionAndTheLoadGoesOn)
{
    m_config.settings.CommandGap = 0.5f;
    load("Version: new\r\nCom Port: 99999\r\nRouter Timeout: soon\r\nComm Type: 40000\r\n"
         "Remote Type: x\r\nMatrix Size: 1e6\r\nDebug: 1e300\r\nCommand Gap: \r\n"
         "Comm Type: 1\r\n");
    EXPECT_EQ(m_platform.messageTexts(),
              (std::vector<std::string>{
                  "Error (section 8): Type mismatch", "Error (section 9): Overflow",
                  "Error (section 10): Type mismatch", "Error (section 16): Overflow",
                  "Error (section 11): Type mismatch", "Error (section 13): Overflow",
                  "Error (section 7): Overflow",
                  "Error (section 17): Line 9: Command Gap must be between 0 and 1 seconds; the "
                  "default 0.2 is kept",
                  kKeptInRcf}));
    EXPECT_EQ(m_config.settings.CommandGap, Settings::kDefaultCommandGap);
    EXPECT_EQ(m_config.settings.CommType, 1);
    EXPECT_FALSE(m_config.settings.MatrixSize);
    EXPECT_FALSE(DebugLog().Enable());
    EXPECT_TRUE(m_config.settings.ConfigLoaded);
}

TEST_F(ConfigFileTest, RoutersGoToTheirFrameAddressAndInvalidOnesAreSkipped)
{
    m_config.routers.set(5, test::makeRouter({5, 3, 4, 2, 4}));
    load("Router: 3; 0; 3; 1; 0; 4; 0;A; B; C; D; X; Y; \r\n"
         "Router: 2; 3; 3; 1; 0; 4; 0;\r\n"
         "Router: 4; 3; 7; 7; 0; 8; -1;\r\n"
         "Router: 6; 16; 3; 1; 0; 4; 0;\r\n");
    EXPECT_EQ(m_config.routers.MaxRouter(), 3);
    EXPECT_EQ(m_config.routers.count(), 2);
    ASSERT_NE(m_config.routers.at(0), nullptr);
    EXPECT_EQ(m_config.routers.at(0)->RouterInName(3), "D");
    ASSERT_NE(m_config.routers.at(3), nullptr);
    EXPECT_EQ(m_config.routers.at(3)->RouterType(), 4); // the later line wins
    EXPECT_TRUE(m_config.routers.at(3)->AudioBreakaway);
    EXPECT_EQ(m_config.settings.CurrentRouterType, 6); // the last line read, valid or not
    EXPECT_EQ(m_platform.messageTexts(),
              (std::vector<std::string>{"Frame Address out of range", kKeptInRcf}));

    load("Router: 6; 16; 3; 1; 0; 4; 0;\r\n");
    EXPECT_EQ(m_config.routers.MaxRouter(), -1);
}

TEST_F(ConfigFileTest, SavedFileHasTheFormatLineByLine)
{
    auto &settings = m_config.settings;
    settings.CommPortName = "COM2";
    settings.RouterTimeout = 0.2f;
    settings.CommType = 1;
    settings.RemoteType = 2;
    settings.MatrixSize = true;
    m_config.routers.set(1, test::makeRouter({1, 3, 4, 2, 4}));
    m_config.routers.set(4, std::make_unique<clsRouter>()); // type -1: not written
    char version[32];
    std::snprintf(version, sizeof version, "%d.%02d%02d", kVersionMajor, kVersionMinor,
                  kVersionRevision);

    const auto path = save(m_config);
    EXPECT_EQ(read(path), std::string(kHeader) + "Version: " + version +
                              "\r\n"
                              "Com Port: 2\r\n"
                              "Router Timeout: 0.2\r\n"
                              "Comm Type: 1\r\n"
                              "Remote Type: 2\r\n"
                              "Router: 3; 1; 3; 1; 0; 4; 0;In 01; In 02; In 03; In 04; Out 01; "
                              "Out 02; \r\n"
                              "Matrix Size: -1\r\n"
                              "Begin Macros\r\n"
                              "End Macros\r\n");
}

TEST_F(ConfigFileTest, FailedSaveLeavesTheOldFileAndPathAlone)
{
    // Refused for every user, the superuser included.
    const auto protectedFile = write("protected.rcf", "old");
    fs::permissions(protectedFile, fs::perms::owner_read);
    auto path = protectedFile;
    ConfigSave(path, true, m_config);
    EXPECT_EQ(m_platform.messageTexts(), std::vector<std::string>{"Error: Permission denied"});
    EXPECT_TRUE(m_config.settings.ConfigFilePath.empty());
    EXPECT_EQ(read(protectedFile), "old");
    EXPECT_EQ(fileCount(), 1);
}

TEST_F(ConfigFileTest, TheDialogsAnswerGetsTheExtensionAndTheKnownFileWinsWhateverItsName)
{
    m_platform.fileAnswers.push_back(pathOf("plain"));
    std::string path;
    ConfigSave(path, false, m_config);
    EXPECT_EQ(path, pathOf("plain.rcf"));
    EXPECT_TRUE(fs::exists(path));

    // Known file: the given path is replaced by it, and no dialog is shown.
    auto given = pathOf("elsewhere.rcf");
    ConfigSave(given, true, m_config);
    EXPECT_EQ(given, pathOf("plain.rcf"));
    EXPECT_FALSE(fs::exists(pathOf("elsewhere.rcf")));

    auto loaded = write("line.conf", kHeader);
    ConfigLoad(loaded, false, m_config);
    ConfigSave(given, true, m_config);
    EXPECT_EQ(given, loaded);
    EXPECT_NE(read(loaded), kHeader);
    EXPECT_EQ(fileCount(), 2);
}

TEST_F(ConfigFileTest, FileThatDidNotLoadCompletelyIsKeptBeforeItIsFirstSavedOver)
{
    const std::string bad = "Router: 3; 0; 15; 15; 0; 112; 0;\r\nBegin Macros\r\n"
                            "  Macro 01: M; {0, 1} = {2, 1}; \r\nEnd Macros\r\n";
    // The second load finds the first one's copy and must not overwrite it.
    const struct {
        std::string body, backup;
    } loads[] = {{bad, "in.rcf.bak"}, {bad + "Comm Type: 1\r\n", "in.rcf.2.bak"}};
    for (const auto &l : loads) {
        m_platform.clear();
        load(l.body);
        EXPECT_EQ(m_platform.messageTexts(),
                  (std::vector<std::string>{"MatOut out of range",
                                            "Not everything in in.rcf could be loaded. The file "
                                            "will be kept as " +
                                                l.backup + " before it is next saved."}));
        save(m_config);
        save(m_config);
    }
    for (const auto &l : loads)
        EXPECT_EQ(read(pathOf(l.backup)), kHeader + l.body);
    EXPECT_EQ(fileCount(), 3);
}

TEST_F(ConfigFileTest, SaveThenLoadGivesBackSettingsRoutersNamesAndMacros)
{
    auto &settings = m_config.settings;
    settings.CommPortName = "COM7";
    settings.RouterTimeout = 0.35f;
    settings.CommandGap = 0.05f;
    settings.CommType = 1;
    settings.RemoteType = 1;
    settings.MatrixSize = true;
    for (int slot = 0; slot < RouterTable::kSlots; ++slot) {
        auto made = test::makeRouter({slot, slot % 16, 127, slot + 1, 0, slot % 2 == 1});
        for (int i = 0; i <= 126; ++i)
            made->SetRouterInName(i, "Cam\xC3\xA9ra " + std::to_string(i) + ": " +
                                         std::to_string(slot));
        made->SetRouterOutName(0, "Deck 10:30:00");
        m_config.routers.set(slot, std::move(made));
    }
    for (int n = 0; n < MacroStore::kCount; ++n) {
        std::vector<std::uint32_t> steps;
        for (int s = 0; s < n; ++s)
            steps.push_back(MacroStep::Pack(static_cast<std::uint8_t>(s % 16),
                                            static_cast<std::uint8_t>(s), s % 3 ? 255 : 7,
                                            static_cast<std::uint8_t>(s % 3 + 1)));
        m_config.macros.SetMacroName(n, "\xC3\x9C\x62ung: " + std::to_string(n));
        m_config.macros.SetMacro(n, steps);
    }

    auto path = save(m_config);
    Configuration loaded;
    ConfigLoad(path, false, loaded);
    EXPECT_TRUE(m_platform.messages.empty());
    EXPECT_EQ(ConfigText(loaded), ConfigText(m_config));
}

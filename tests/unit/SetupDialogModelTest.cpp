#include "config/SetupDialogModel.h"

#include "config/ComPortTarget.h"
#include "config/ConfigFile.h"
#include "config/SetupValidation.h"
#include "support/ScriptedPlatform.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace corvantis;

namespace {

std::unique_ptr<clsRouter> makeRouter(int slot, int type, int ports, int mapOut = 0)
{
    auto router = std::make_unique<clsRouter>();
    router->SetFrameAddress(slot);
    router->SetRouterType(type);
    router->SetInputCount(ports - 1);
    router->SetOutputCount(ports - 1);
    router->SetMapOut(mapOut);
    return router;
}

std::vector<std::string> routerTexts(const RouterTable &routers)
{
    std::vector<std::string> texts;
    for (int slot = 0; slot < RouterTable::kSlots; ++slot)
        texts.push_back(routers.at(slot) ? routers.at(slot)->StringVal() : "(empty)");
    return texts;
}

class SetupDialogModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.settings.CommPortName = "COM2";
        config.settings.RouterTimeout = 0.5f;
        config.settings.CommType = 1;
        config.settings.CurrentRouterType = 7;
    }

    // Routers of the given output counts laid out one after another, Vexa models.
    void addRouters(const std::vector<int> &ports)
    {
        int next = 0;
        for (std::size_t i = 0; i < ports.size(); ++i) {
            config.routers.set(static_cast<int>(i),
                               makeRouter(static_cast<int>(i), 7, ports[i], next));
            next += ports[i];
        }
    }

    SetupDialogModel open() { return SetupDialogModel(config.settings, config.routers); }

    std::vector<std::string> messages() const { return platform.messageTexts(); }

    test::ScriptedPlatform platform;
    Configuration config;
};

} // namespace

TEST_F(SetupDialogModelTest, OpensWithConfiguredCountAndEachRowsOwnModelApplyingNone)
{
    addRouters({16, 8, 32, 16, 4});
    config.routers.at(1)->SetRouterType(12);
    config.routers.at(1)->SetInputCount(5); // differs from the catalog's 8
    config.routers.at(1)->SetMapIn(9);
    config.routers.at(0)->SetRouterType(3); // type A framing
    config.settings.CommType = 0;
    config.settings.RouterTimeout = 0.0f;
    const auto before = routerTexts(config.routers);

    auto model = open();
    EXPECT_EQ(model.RouterCount(), 5);
    EXPECT_TRUE(model.ExtraHelpVisible());
    EXPECT_EQ(model.CountHelpTopic(), SetupDialogModel::kHelpMultipleRouters);
    EXPECT_EQ(model.ComPortIndex(), 1);
    EXPECT_EQ(model.TimeoutText(), "0");
    EXPECT_EQ(model.RowAt(0).model, 3);
    EXPECT_EQ(model.RowAt(1).model, 12);
    EXPECT_EQ(model.RowAt(1).inputs, "6");
    EXPECT_EQ(model.RowAt(1).mapIn, "10");

    Configuration written = config;
    model.SetTopRow(1); // the current type is router 0's whatever the top row
    ASSERT_TRUE(model.Accept());
    model.WriteResults(written);
    EXPECT_EQ(routerTexts(written.routers), before);
    EXPECT_EQ(written.settings.CommPortName, "COM2");
    EXPECT_EQ(written.settings.CommType, 0);
    EXPECT_EQ(written.settings.RouterTimeout, 0.0f);
    EXPECT_EQ(written.settings.CurrentRouterType, 3);
    EXPECT_TRUE(written.settings.ConfigLoaded);
    EXPECT_TRUE(messages().empty());
}

TEST_F(SetupDialogModelTest, WorkOnCopiesLeavesConfigurationUntilResultsAreWritten)
{
    addRouters({16, 16, 16});
    const auto before = routerTexts(config.routers);
    auto model = open();
    model.ChooseModel(0, 5);
    model.EnterField();
    model.CommitInputs(1, "4");
    model.SetRouterCount(2);
    EXPECT_EQ(model.DialogRouter(2), nullptr);
    EXPECT_EQ(model.DialogRouter(0)->InputCount(), 3);
    // Closing without OK: the configuration's routers never changed.
    EXPECT_EQ(routerTexts(config.routers), before);

    ASSERT_TRUE(model.Accept());
    model.WriteResults(config);
    EXPECT_EQ(config.routers.at(2), nullptr);
    EXPECT_EQ(config.routers.MaxRouter(), 1);
    EXPECT_EQ(config.routers.at(1)->InputCount(), 3);
    EXPECT_EQ(config.settings.CurrentRouterType, 5);
}

TEST_F(SetupDialogModelTest, EmptyConfigurationStartsWithOneRouterOfTheCurrentType)
{
    auto model = open();
    EXPECT_EQ(model.RouterCount(), 1);
    EXPECT_FALSE(model.ExtraHelpVisible());
    EXPECT_EQ(model.CountHelpTopic(), SetupDialogModel::kHelpSingleRouter);
    EXPECT_EQ(model.RowAt(0).model, 7);
    EXPECT_TRUE(model.Accept());
}

TEST_F(SetupDialogModelTest, GapsInFrameAddressesOpenAsRowsWithoutModel)
{
    config.routers.set(0, makeRouter(0, 7, 16));
    config.routers.set(2, makeRouter(2, 7, 16, 16));
    const auto before = routerTexts(config.routers);
    auto model = open();
    EXPECT_EQ(model.RouterCount(), 3);
    EXPECT_EQ(model.RowAt(1).model, -1);
    EXPECT_EQ(model.RowAt(1).frameAddress, "01");
    EXPECT_EQ(model.DialogRouter(1)->FrameAddress(), 1);
    EXPECT_FALSE(model.Accept());
    EXPECT_EQ(messages(), std::vector<std::string>{"Router 1 has no router type selected"});
    EXPECT_EQ(platform.messages[0].title, "Corvantis");
    EXPECT_EQ(routerTexts(config.routers), before);
}

TEST_F(SetupDialogModelTest, RouterWithoutModelIsSkippedByTheLayout)
{
    config.routers.set(0, std::make_unique<clsRouter>());
    config.routers.at(0)->SetMapOut(40);
    config.routers.set(1, makeRouter(1, 7, 16, 50));
    auto model = open();
    model.AutoOutputMapping();
    EXPECT_EQ(model.DialogRouter(0)->mapOut(), 40);
    EXPECT_EQ(model.DialogRouter(1)->mapOut(), 0);
}

TEST_F(SetupDialogModelTest, ComPortIsTakenFromTheNamesLastDigit)
{
    addRouters({16});
    config.settings.CommPortName = "";
    EXPECT_EQ(open().ComPortIndex(), 0);
    config.settings.CommPortName = "COM7";
    EXPECT_EQ(open().ComPortIndex(), 6);
    config.settings.CommPortName = "COM9";
    auto model = open();
    EXPECT_EQ(model.ComPortIndex(), -1);
    EXPECT_EQ(model.ComPortName(), "");
    EXPECT_FALSE(model.Accept());
    EXPECT_EQ(messages(), std::vector<std::string>{"Please set the COM port to something"});
    Configuration written = config;
    model.WriteResults(written); // no accepted OK: nothing written
    EXPECT_FALSE(written.settings.ConfigLoaded);
    EXPECT_EQ(written.settings.CommPortName, "COM9");
}

TEST_F(SetupDialogModelTest, PortAddressEntryIsCheckedAndWrittenBesideTheComPort)
{
    addRouters({16});
    auto model = open();
    model.SetAddressCheck([](std::string_view text) {
        return text.starts_with("socket://") ? std::string() : "\"" + std::string(text) + "\" no";
    });
    model.SetComPortIndex(SetupDialogModel::kAddressEntry);
    EXPECT_FALSE(model.Accept());
    model.SetPortAddress(" tcp://x ");
    EXPECT_FALSE(model.Accept());
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"Please enter a port address", "\"tcp://x\" no"}));
    model.SetPortAddress("socket://127.0.0.1:4001");
    ASSERT_TRUE(model.Accept());
    Configuration written = config;
    model.WriteResults(written);
    EXPECT_EQ(written.settings.CommPortAddress, "socket://127.0.0.1:4001");
    EXPECT_EQ(written.settings.CommPortName, "COM2");

    // Reopened it shows the address; a COM port chosen instead drops it.
    auto again = SetupDialogModel(written.settings, written.routers);
    EXPECT_EQ(again.PortListIndex(), SetupDialogModel::kAddressEntry);
    EXPECT_EQ(again.PortAddress(), "socket://127.0.0.1:4001");
    again.SetComPortIndex(4);
    ASSERT_TRUE(again.Accept());
    again.WriteResults(written);
    EXPECT_EQ(written.settings.CommPortAddress, "");
    EXPECT_EQ(written.settings.CommPortName, "COM5");
}

TEST_F(SetupDialogModelTest, TimeoutLimitsAndTextThatIsNoNumber)
{
    addRouters({16});
    const std::string refused = "Router Timeout must be between 0 and 60 seconds";
    struct Case {
        const char *text;
        bool accepted;
        float stored;
    };
    for (const Case &c : {Case{"60", true, 60.0f}, Case{"60.5", false, 0}, Case{"-1", false, 0},
                          Case{"abc", true, 0.0f}, Case{"", true, 0.0f}, Case{"0,5", true, 0.5f},
                          Case{"1e50", false, 0}}) {
        platform.clear();
        auto model = open();
        model.SetTimeoutText(c.text);
        EXPECT_EQ(model.Accept(), c.accepted) << c.text;
        if (c.accepted) {
            Configuration written = config;
            model.WriteResults(written);
            EXPECT_FLOAT_EQ(written.settings.RouterTimeout, c.stored) << c.text;
            EXPECT_TRUE(messages().empty()) << c.text;
        } else {
            EXPECT_EQ(messages(), std::vector<std::string>{refused}) << c.text;
        }
    }
    EXPECT_TRUE(std::isinf(SetupValidation::ConvertToSingle("1e50")));
    EXPECT_FALSE(SetupValidation::CheckTimeout(std::nanf("")) == std::nullopt);

    config.settings.RouterTimeout = -1.0f;
    EXPECT_EQ(open().TimeoutText(), "0.2");
}

TEST_F(SetupDialogModelTest, OkChecksComeInOrderComThenTimeoutThenRouters)
{
    config.routers.set(0, std::make_unique<clsRouter>());
    auto model = open();
    model.SetComPortIndex(-1);
    model.SetTimeoutText("99");
    EXPECT_FALSE(model.Accept());
    model.SetComPortIndex(0);
    EXPECT_FALSE(model.Accept());
    model.SetTimeoutText("1");
    EXPECT_FALSE(model.Accept());
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"Please set the COM port to something",
                                        "Router Timeout must be between 0 and 60 seconds",
                                        "Router 0 has no router type selected"}));
}

TEST_F(SetupDialogModelTest, ScrollRangeFollowsTheCountAndEmptyRowsAreBlank)
{
    addRouters({16, 16, 16, 16, 16});
    auto model = open();
    model.SetTopRow(1);
    EXPECT_EQ(model.TopRow(), 1);
    EXPECT_EQ(model.RowAt(0).frameAddress, "01");
    EXPECT_EQ(model.RowAt(3).frameAddress, "04");
    model.SetTopRow(5);
    EXPECT_EQ(model.TopRow(), 1);

    model.SetRouterCount(3);
    EXPECT_EQ(model.ScrollMaximum(), 0);
    EXPECT_EQ(model.TopRow(), 0);
    EXPECT_TRUE(model.RowAt(2).present);
    const auto blank = model.RowAt(3);
    EXPECT_FALSE(blank.present);
    EXPECT_EQ(blank.frameAddress, "");
    EXPECT_EQ(blank.mapInEnd, "");

    model.SetRouterCount(16);
    EXPECT_EQ(model.ScrollMaximum(), 12);
    EXPECT_EQ(model.DialogRouter(15)->FrameAddress(), 15);
    EXPECT_EQ(model.DialogRouter(15)->RouterType(), -1);
    // A dropped router does not come back: the slot gets a new one.
    EXPECT_EQ(model.DialogRouter(4)->RouterType(), -1);
    model.SetRouterCount(0);
    model.SetRouterCount(17);
    EXPECT_EQ(model.RouterCount(), 16);
}

TEST_F(SetupDialogModelTest, AutomaticLayoutPutsOutputsOneAfterAnother)
{
    addRouters({16, 16, 16});
    auto model = open();
    model.SetAdvancedMode(true);
    model.ChooseModel(1, 6); // 8 ports: outside advanced mode this would re-lay out
    EXPECT_EQ(model.RowAt(2).mapOut, "33");
    model.ChooseModel(2, 8);
    model.SetAdvancedMode(false);
    model.AutoOutputMapping();
    EXPECT_EQ(model.RowAt(0).mapOut, "1");
    EXPECT_EQ(model.RowAt(1).mapOut, "17");
    EXPECT_EQ(model.RowAt(2).mapOut, "25");
    EXPECT_EQ(model.RowAt(2).mapOutEnd, ""); // end labels only in advanced mode
    model.SetAdvancedMode(true);
    EXPECT_EQ(model.RowAt(0).mapOutEnd, "-16");
    EXPECT_EQ(model.RowAt(1).mapOutEnd, "-24");
    EXPECT_EQ(model.RowAt(2).mapOutEnd, "-56");
    EXPECT_EQ(model.RowAt(2).mapInEnd, "-32");
    EXPECT_TRUE(model.RowAt(2).mapBoxesVisible);

    // An output count change re-lays out in advanced mode too.
    model.EnterField();
    model.CommitOutputs(0, "8");
    EXPECT_EQ(model.RowAt(1).mapOut, "9");
    EXPECT_EQ(model.RowAt(2).mapOut, "17");
    EXPECT_TRUE(messages().empty());
}

TEST_F(SetupDialogModelTest, ModelChoiceOutsideAdvancedModePacksOutputsAndTellsTheFamily)
{
    addRouters({16, 16});
    std::vector<std::string> labels;
    auto model = open();
    model.SetFamilyLabelHandler([&](std::string_view label) { labels.emplace_back(label); });
    model.ChooseModel(0, 3);
    EXPECT_EQ(model.CommType(), 0);
    model.ChooseModel(1, 2);
    EXPECT_EQ(model.CommType(), 1); // the line's framing is the last model's
    EXPECT_EQ(labels, (std::vector<std::string>{"Palomir", "Palomir"}));
    EXPECT_EQ(model.RowAt(1).mapOut, "17");
    model.ChooseModel(0, 5);
    EXPECT_EQ(model.RowAt(1).mapOut, "5");
    EXPECT_EQ(model.RowAt(0).inputs, "4");
}

TEST_F(SetupDialogModelTest, EighthOfSixteenRoutersDoesNotFitAndTheRestFollowItsKeptPlace)
{
    auto model = open();
    model.SetRouterCount(16);
    for (int slot = 0; slot < 16; ++slot) {
        model.SetTopRow(slot);
        model.ChooseModel(slot - model.TopRow(), 7);
    }
    // Each new router starts at mapOut 0; the eighth cannot move to 112.
    EXPECT_EQ(model.DialogRouter(6)->mapOut(), 96);
    EXPECT_EQ(model.DialogRouter(7)->mapOut(), 0);
    EXPECT_EQ(model.DialogRouter(8)->mapOut(), 16);
    EXPECT_FALSE(messages().empty());
    for (const auto &m : platform.messages) {
        EXPECT_EQ(m.text, "MatOut out of range");
        EXPECT_EQ(m.title, "Data Error");
    }
    platform.clear();
    EXPECT_FALSE(model.Accept());
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "Router 7 has mapped output(s) overlapping Router 0. Set the range "
                              "to unused area."});
}

TEST_F(SetupDialogModelTest, OverlappingOutputsAreRefusedSharedInputsAreNot)
{
    addRouters({16, 16});
    config.routers.at(1)->SetMapOut(8);
    auto model = open();
    EXPECT_FALSE(model.Accept());
    EXPECT_EQ(messages(), std::vector<std::string>{"Router 1 has mapped output(s) overlapping "
                                                   "Router 0. Set the range to unused area."});

    platform.clear();
    config.routers.at(1)->SetMapOut(16);
    config.routers.at(0)->SetMapIn(0);
    config.routers.at(1)->SetMapIn(0);
    EXPECT_TRUE(open().Accept());
    EXPECT_TRUE(messages().empty());
}

TEST_F(SetupDialogModelTest, CountBoxesApplyOnlyAfterFocusAndRestoreRefusedValues)
{
    addRouters({16});
    auto model = open();
    model.CommitInputs(0, "8");
    EXPECT_EQ(model.RowAt(0).inputs, "16"); // no focus received: nothing applied

    model.EnterField();
    model.CommitInputs(0, "0");
    EXPECT_EQ(messages(), std::vector<std::string>{"Input count out of range"});
    EXPECT_EQ(model.RowAt(0).inputs, "16");

    platform.clear();
    model.CommitInputs(0, "99999");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Error: Overflow");
    EXPECT_EQ(platform.messages[0].title, "Function txtInputs_LostFocus");
    EXPECT_EQ(model.RowAt(0).inputs, "16");

    platform.clear();
    model.CommitInputs(0, "8 inputs");
    model.CommitOutputs(0, "1");
    EXPECT_EQ(model.RowAt(0).inputs, "8");
    EXPECT_EQ(model.RowAt(0).outputs, "1");
    // A single-output router is a valid router.
    EXPECT_TRUE(model.Accept());
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(model.FieldEntered());
}

TEST_F(SetupDialogModelTest, MappingBoxesMoveOnlyTheirRouter)
{
    addRouters({16, 16});
    auto model = open();
    model.SetAdvancedMode(true);
    model.EnterField();
    model.CommitMapOut(0, "101");
    EXPECT_EQ(model.RowAt(0).mapOutEnd, "-116");
    EXPECT_EQ(model.RowAt(1).mapOut, "17");
    model.CommitMapIn(1, "112");
    EXPECT_EQ(model.RowAt(1).mapIn, "112");
    EXPECT_EQ(model.RowAt(1).mapInEnd, "-127");
    model.CommitMapIn(1, "113");
    EXPECT_EQ(messages(), std::vector<std::string>{"MatIn out of range"});
    EXPECT_EQ(model.RowAt(1).mapIn, "112");

    // Reset lays the outputs out again and shares the inputs.
    model.ResetMapping();
    EXPECT_EQ(model.RowAt(0).mapOut, "1");
    EXPECT_EQ(model.RowAt(1).mapOut, "17");
    EXPECT_EQ(model.RowAt(1).mapIn, "1");
}

TEST_F(SetupDialogModelTest, LargerModelInAdvancedModeStaysInsideAndOverlapsAreCaught)
{
    addRouters({16, 16});
    config.routers.at(1)->SetMapOut(100);
    auto model = open();
    model.SetAdvancedMode(true);
    model.ChooseModel(1, 15); // 64 ports from 101 would pass the end of the matrix
    EXPECT_EQ(model.RowAt(1).mapOut, "64");
    EXPECT_EQ(model.RowAt(1).mapOutEnd, "-127");
    EXPECT_TRUE(model.Accept());
    model.ChooseModel(0, 15);
    EXPECT_EQ(model.RowAt(0).mapOutEnd, "-64"); // advanced mode moves nothing
    EXPECT_FALSE(model.Accept());
    EXPECT_EQ(messages(), std::vector<std::string>{"Router 1 has mapped output(s) overlapping "
                                                   "Router 0. Set the range to unused area."});
}

TEST(ComPortTarget, LinkInPortsFolderElseDefaultDevice)
{
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("corvantis-ports-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "ports");
    const fs::path device = folder / "device";
    std::ofstream(device).put('x');
    fs::create_symlink(device, folder / "ports" / "com1");
    fs::create_symlink(folder / "gone", folder / "ports" / "com2");
    const std::string data = folder.string() + "/";

    const auto linked = ComPortTarget::Resolve("COM1", data);
    EXPECT_TRUE(linked.throughLink);
    EXPECT_TRUE(linked.exists);
    EXPECT_EQ(linked.device, device.string());
    EXPECT_EQ(linked.path, (folder / "ports" / "com1").string());

    const auto dangling = ComPortTarget::Resolve("COM2", data);
    EXPECT_TRUE(dangling.throughLink);
    EXPECT_FALSE(dangling.exists);
    EXPECT_EQ(dangling.device, (folder / "gone").string());

    const auto plain = ComPortTarget::Resolve("COM3", data);
    EXPECT_FALSE(plain.throughLink);
    EXPECT_EQ(plain.device, "/dev/ttyS2");
    EXPECT_EQ(plain.exists, fs::exists("/dev/ttyS2"));

    EXPECT_EQ(ComPortTarget::Resolve("", data).device, "");
    EXPECT_EQ(ComPortTarget::Resolve("COMX", data).device, "");
    fs::remove_all(folder);
}

#include "config/SetupDialogModel.h"

#include "config/ConfigFile.h"
#include "support/RouterSpec.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace corvantis;

namespace {

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

    // Vexa routers of the given port counts, outputs laid out one after another.
    void addRouters(const std::vector<int> &ports)
    {
        int next = 0;
        for (int i = 0; i < int(ports.size()); ++i) {
            config.routers.set(i, test::makeRouter({i, 7, ports[i], ports[i], next}));
            next += ports[i];
        }
    }

    SetupDialogModel open() { return SetupDialogModel(config.settings, config.routers); }
    std::vector<std::string> messages() const { return platform.messageTexts(); }

    test::ScriptedPlatform platform;
    Configuration config;
};

const std::string kOverlap =
    "Router 1 has mapped output(s) overlapping Router 0. Set the range to unused area.";

} // namespace

TEST_F(SetupDialogModelTest, OpensWithEachRowsOwnModelAndOkWritesBackWhatItShowed)
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
    // What a router reports while the dialog is open survives its OK.
    config.routers.at(0)->RouteState(2)->SetVideo(9);
    EXPECT_EQ(model.RouterCount(), 5);
    EXPECT_EQ(model.CountHelpTopic(), SetupDialogModel::kHelpMultipleRouters);
    EXPECT_EQ(model.ComPortIndex(), 1);
    EXPECT_EQ(model.TimeoutText(), "0");
    EXPECT_EQ(std::tuple(model.RowAt(1).model, model.RowAt(1).inputs, model.RowAt(1).mapIn),
              std::tuple(12, std::string("6"), std::string("10")));

    model.SetTopRow(1); // the current type is router 0's whatever the top row
    ASSERT_TRUE(model.Accept());
    model.WriteResults(config);
    EXPECT_EQ(routerTexts(config.routers), before);
    EXPECT_EQ(config.routers.at(0)->RouteState(2)->Video(), 9);
    EXPECT_EQ(std::tuple(config.settings.CommPortName, config.settings.CommType,
                         config.settings.RouterTimeout, config.settings.CurrentRouterType,
                         config.settings.ConfigLoaded),
              std::tuple(std::string("COM2"), std::int16_t{0}, 0.0f, std::int16_t{3}, true));
    EXPECT_TRUE(messages().empty());
}

TEST_F(SetupDialogModelTest, PairedRoutersOnTypeBAreToldTheyCannotDisconnect)
{
    addRouters({16, 16});
    for (const bool paired : {false, true}) {
        config.settings.MatrixSize = paired;
        auto model = open();
        model.SetCommType(0);
        EXPECT_EQ(model.PairingNote(), "");
        model.SetCommType(1);
        EXPECT_EQ(model.PairingNote().empty(), !paired);
    }
}

TEST_F(SetupDialogModelTest, EditsStayOnCopiesUntilResultsAreWritten)
{
    addRouters({16, 16, 16});
    const auto before = routerTexts(config.routers);
    auto model = open();
    model.ChooseModel(0, 5);
    model.EnterField();
    model.CommitInputs(1, "4");
    model.SetRouterCount(2);
    EXPECT_EQ(routerTexts(config.routers), before);
    Configuration written = config;
    model.WriteResults(written); // no accepted OK: nothing written
    EXPECT_EQ(routerTexts(written.routers), before);

    ASSERT_TRUE(model.Accept());
    model.WriteResults(config);
    EXPECT_EQ(config.routers.MaxRouter(), 1);
    EXPECT_EQ(config.routers.at(1)->InputCount(), 3);
    EXPECT_EQ(config.settings.CurrentRouterType, 5);
}

TEST_F(SetupDialogModelTest, OkRefusesWhatCannotWork)
{
    struct Case {
        const char *port;
        const char *timeout;
        const char *gapText;
        bool hole;
        int overlapAt;
        std::string message; // empty: accepted
        float timeoutStored;
        float gapStored;
    };
    const std::string timeout = "Router Timeout must be between 0 and 60 seconds";
    const std::string gap = "Command Gap must be between 0 and 1 seconds";
    for (const Case &c :
         {Case{"COM9", "1", "0.5", false, 16, "Please set the COM port to something", 0, 0},
          Case{"COM7", "60.5", "0.5", false, 16, timeout, 0, 0},
          Case{"COM7", "0,5", "0.5", false, 16, "", 0.5f, 0.5f},
          Case{"COM7", "1", "-0.1", false, 16, gap, 0, 0},
          Case{"COM7", "1", "1.01", false, 16, gap, 0, 0},
          Case{"COM7", "1", "abc", false, 16, gap, 0, 0},
          Case{"COM7", "1", "0", false, 16, "", 1, 0}, Case{"COM7", "1", "1", false, 16, "", 1, 1},
          Case{"COM7", "1", "0,05", false, 16, "", 1, 0.05f},
          Case{"COM7", "1", "0.5", true, 32, "Router 1 has no router type selected", 0, 0},
          // Router 1 starting on router 0's last output; 16 above is the first free one.
          Case{"COM7", "1", "0.5", false, 15, kOverlap, 0, 0}}) {
        SCOPED_TRACE(std::string(c.port) + " " + c.timeout + " " + c.gapText + " " + c.message);
        platform.clear();
        config.routers.clearAll();
        addRouters({16, 16, 16});
        if (c.hole)
            config.routers.clear(1);
        config.routers.at(1 + (c.hole ? 1 : 0))->SetMapOut(c.overlapAt);
        config.settings.CommPortName = c.port;
        auto model = open();
        model.SetTimeoutText(c.timeout);
        model.SetGapText(c.gapText);
        EXPECT_EQ(model.Accept(), c.message.empty());
        if (c.message.empty()) {
            model.WriteResults(config);
            EXPECT_EQ(config.settings.CommPortName, "COM7");
            EXPECT_FLOAT_EQ(config.settings.RouterTimeout, c.timeoutStored);
            EXPECT_FLOAT_EQ(config.settings.CommandGap, c.gapStored);
            EXPECT_TRUE(messages().empty());
        } else {
            EXPECT_EQ(messages(), std::vector<std::string>{c.message});
        }
    }
}

TEST_F(SetupDialogModelTest, OutputsAreLaidOutOneAfterAnotherAndMappingBoxesMoveOnlyTheirRouter)
{
    addRouters({16, 16, 16});
    auto model = open();
    model.SetAdvancedMode(true);
    model.ChooseModel(1, 6); // 8 ports: outside advanced mode this would re-lay out
    EXPECT_EQ(model.RowAt(2).mapOut, "33");
    model.ChooseModel(2, 8);
    model.SetAdvancedMode(false);
    model.AutoOutputMapping();
    // End labels only in advanced mode.
    EXPECT_EQ((std::vector{model.RowAt(1).mapOut, model.RowAt(2).mapOut, model.RowAt(2).mapOutEnd}),
              (std::vector<std::string>{"17", "25", ""}));
    model.SetAdvancedMode(true);

    model.EnterField();
    model.CommitOutputs(0, "8"); // a count change re-lays out in advanced mode too
    EXPECT_EQ(model.RowAt(1).mapOut, "9");
    model.CommitMapOut(0, "101");
    EXPECT_EQ(model.RowAt(0).mapOutEnd, "-108");
    EXPECT_EQ(model.RowAt(1).mapOut, "9");
    model.ResetMapping();
    EXPECT_EQ(model.RowAt(0).mapOut, "1");
    EXPECT_EQ(model.RowAt(2).mapOut, "17");
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
    EXPECT_EQ(std::pair(written.settings.CommPortAddress, written.settings.CommPortName),
              (std::pair<std::string, std::string>("socket://127.0.0.1:4001", "COM2")));

    // Reopened it shows the address.
    auto again = SetupDialogModel(written.settings, written.routers);
    EXPECT_EQ(again.PortAddress(), "socket://127.0.0.1:4001");
}

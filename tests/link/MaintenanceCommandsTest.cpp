#include "link/MaintenanceCommands.h"

#include "LinkRig.h"
#include "ScriptedDevice.h"
#include "link/Framing.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

using namespace std::chrono_literals;

RigOptions quickRig(int commType)
{
    return {.commType = commType, .routerTimeout = 0.05f, .pacing = false};
}

void makeQuick(SerialLink &link)
{
    link.setTimings({.closing = 0ms, .noWait = 0ms, .resend = 0ms, .statusReply = 0ms});
}

class FirmwareFromTheLine : public ::testing::TestWithParam<int> {};

TEST_P(FirmwareFromTheLine, ShowsTheVersionInItsOwnBox)
{
    LinkRig rig(quickRig(GetParam()));
    ASSERT_TRUE(rig.openLine());
    MaintenanceCommands commands(rig.config.settings, rig.link);

    commands.FirmwareVersion();

    ASSERT_EQ(rig.platform.messages.size(), 1u);
    const auto &box = rig.platform.messages.front();
    EXPECT_EQ(box.text,
              GetParam() == kTypeA ? "Firmware Ver. : 2.0.5" : "Firmware Ver. : VER 2.05.17");
    EXPECT_EQ(box.title, "Corvantis");
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    EXPECT_EQ(box.icon, MessageIcon::None);
    EXPECT_FALSE(rig.link.CommBusy());
    EXPECT_TRUE(rig.errorLines.isEmpty());
}

TEST_P(FirmwareFromTheLine, SilentRouterShowsNoCommunicationInsteadOfABox)
{
    LinkRig rig(quickRig(GetParam()));
    rig.line.setSilent(true);
    ASSERT_TRUE(rig.openLine());
    MaintenanceCommands commands(rig.config.settings, rig.link);

    commands.FirmwareVersion();

    EXPECT_TRUE(rig.platform.messages.empty());
    EXPECT_EQ(rig.errorLines, QStringList{"No Router Communication"});
}

INSTANTIATE_TEST_SUITE_P(BothFramings, FirmwareFromTheLine, ::testing::Values(kTypeA, kTypeB));

struct FirmwareReply {
    int commType;
    QByteArray reply;
    std::string shown;
};

class FirmwareReplyLength : public ::testing::TestWithParam<FirmwareReply> {};

TEST_P(FirmwareReplyLength, ShowsTheExpectedPartOrWhateverArrived)
{
    const auto &param = GetParam();
    LinkRig rig(quickRig(param.commType));
    ScriptedDevice device(AnswerAlways(param.reply));
    ASSERT_TRUE(device.open(rig.portLinkPath()));
    MaintenanceCommands commands(rig.config.settings, rig.link);

    commands.FirmwareVersion();

    EXPECT_EQ(device.received(), param.commType == kTypeA
                                     ? QByteArrayLiteral("\xBE\xEF\x00\x00\x04\x55")
                                     : QByteArrayLiteral("//XXXX\r"));
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages.front().text, param.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, FirmwareReplyLength,
    ::testing::Values(FirmwareReply{kTypeB, "VER 2.05.17XY", "Firmware Ver. : VER 2.05.17"},
                      FirmwareReply{kTypeB, "ABCDEFGHIJKLMN", "Firmware Ver. : ABCDEFGHIJK"},
                      FirmwareReply{kTypeB, "V1.2", "Firmware Ver. : V1.2"},
                      FirmwareReply{kTypeA, "2051", "Firmware Ver. : 2.0.5"},
                      FirmwareReply{kTypeA, "20", "Firmware Ver. : 2.0"},
                      FirmwareReply{kTypeA, "7", "Firmware Ver. : 7"}));

TEST(MaintenanceCommands, TypeADataMenuSendsNothingAndKeepsTheChecks)
{
    LinkRig rig(quickRig(kTypeA));
    ASSERT_TRUE(rig.openLine());
    MaintenanceCommands commands(rig.config.settings, rig.link);
    QSignalSpy checks(&commands, &MaintenanceCommands::modeChecksChanged);

    commands.SetRs232Mode();
    commands.SetIrMode();
    commands.FlashData();

    EXPECT_EQ(rig.link.transmissions(), 0u);
    EXPECT_FALSE(commands.rs232Checked());
    EXPECT_FALSE(commands.irChecked());
    EXPECT_EQ(checks.count(), 0);
    EXPECT_TRUE(rig.errorLines.isEmpty());
}

TEST(MaintenanceCommands, AcknowledgedModeRequestsMoveTheCheckMark)
{
    LinkRig rig(quickRig(kTypeB));
    ASSERT_TRUE(rig.openLine());
    MaintenanceCommands commands(rig.config.settings, rig.link);
    QSignalSpy checks(&commands, &MaintenanceCommands::modeChecksChanged);

    commands.SetRs232Mode();
    EXPECT_TRUE(commands.rs232Checked());
    EXPECT_FALSE(commands.irChecked());

    commands.SetIrMode();
    EXPECT_FALSE(commands.rs232Checked());
    EXPECT_TRUE(commands.irChecked());

    commands.FlashData();
    ASSERT_TRUE(waitFor([&] { return rig.line.framesReceived() == 3; }));
    EXPECT_EQ(rig.line.receivedFrames(), (QList<QByteArray>{"//RS\r", "//IR\r", "//F00D\r"}));
    ASSERT_EQ(checks.count(), 2);
    EXPECT_EQ(checks[0], (QVariantList{true, false}));
    EXPECT_EQ(checks[1], (QVariantList{false, true}));
    EXPECT_TRUE(rig.errorLines.isEmpty());

    // Unanswered: the line says so and the marks stay where they are.
    rig.line.setSilent(true);
    commands.SetRs232Mode();
    EXPECT_TRUE(commands.irChecked());
    EXPECT_EQ(checks.count(), 2);
    EXPECT_EQ(rig.errorLines, QStringList{"No Router Communication"});
}

TEST(MaintenanceCommands, RsConnectSendsTheSwitchingFrame)
{
    LinkRig rig(quickRig(kTypeB));
    makeQuick(rig.link);
    ASSERT_TRUE(rig.openLine());
    MaintenanceCommands commands(rig.config.settings, rig.link);

    EXPECT_TRUE(commands.RsSwitch(true, QStringLiteral("2"), 0, 1));
    EXPECT_TRUE(commands.RsSwitch(false, QStringLiteral(" 15 "), -1, 3));

    ASSERT_TRUE(waitFor([&] { return rig.line.framesReceived() == 2; }));
    EXPECT_EQ(rig.line.receivedFrames()[0].toHex(' '), "2f 2f 46 30 32 52 30 31 49 30 32 5c 0d");
    EXPECT_EQ(rig.line.receivedFrames()[1], LinkRig::frame(kTypeB, 15, CmdRsDisconnect, 0, 4));
}

TEST(MaintenanceCommands, RsSwitchWithoutAUsableAddressSendsNothingAndSaysWhy)
{
    LinkRig rig(quickRig(kTypeB));
    makeQuick(rig.link);
    ASSERT_TRUE(rig.openLine());
    MaintenanceCommands commands(rig.config.settings, rig.link);

    for (const char *text : {"", "16", "-1", "2.5", "abc", "1 2", "0x3"}) {
        rig.errorLines.clear();
        EXPECT_FALSE(commands.RsSwitch(true, QString::fromLatin1(text), 0, 1)) << text;
        EXPECT_EQ(rig.errorLines, QStringList{"Router address must be a whole number from 0 to 15"})
            << text;
    }
    EXPECT_EQ(rig.link.transmissions(), 0u);
}

} // namespace
} // namespace corvantis::test

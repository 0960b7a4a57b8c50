#include "link/MaintenanceCommands.h"

#include "LinkRig.h"
#include "ScriptedDevice.h"
#include "link/Framing.h"

#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

using namespace std::chrono_literals;

struct FirmwareReply {
    int commType;
    QByteArray reply;
    std::string shown; // empty: no box
};

class FirmwareVersion : public ::testing::TestWithParam<FirmwareReply> {};

TEST_P(FirmwareVersion, ShowsTheExpectedPartOrWhateverArrived)
{
    const auto &param = GetParam();
    LinkRig rig(quickRig(param.commType));
    ScriptedDevice device(AnswerAlways(param.reply));
    ASSERT_TRUE(device.open(rig.portLinkPath()));
    MaintenanceCommands commands(rig.config.settings, rig.link);

    finish(commands.FirmwareVersion());

    EXPECT_EQ(device.received(), param.commType == kTypeA
                                     ? QByteArrayLiteral("\xBE\xEF\x00\x00\x04\x55")
                                     : QByteArrayLiteral("//XXXX\r"));
    EXPECT_FALSE(rig.link.CommBusy());
    if (param.shown.empty()) {
        EXPECT_TRUE(rig.platform.messages.empty());
        EXPECT_EQ(rig.errorLines, QStringList{"No Router Communication"});
        return;
    }
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages.front().text, param.shown);
}

INSTANTIATE_TEST_SUITE_P(Replies, FirmwareVersion,
                         ::testing::Values(FirmwareReply{kTypeB, "V1.2", "Firmware Ver. : V1.2"},
                                           FirmwareReply{kTypeB, "", ""},
                                           // A status reply that came late, before the version.
                                           FirmwareReply{kTypeB, "\x81\x85\x80V1.2",
                                                         "Firmware Ver. : V1.2"},
                                           FirmwareReply{kTypeB, "\x81\x85\x80", ""},
                                           FirmwareReply{kTypeA, "20", "Firmware Ver. : 2.0"},
                                           FirmwareReply{kTypeA, "", ""}));

TEST(MaintenanceCommands, RsSwitchSendsItsFrameOnlyForAnAddressFrom0To15)
{
    LinkRig rig(quickRig(kTypeB));
    rig.config.settings.CommandGap = 0;
    rig.link.setTimings({.noWait = 0ms});
    ASSERT_TRUE(rig.openLine());
    MaintenanceCommands commands(rig.config.settings, rig.link);

    for (const char *text : {"", "16", "-1", "2.5", "abc", "0x3"}) {
        rig.errorLines.clear();
        EXPECT_FALSE(finish(commands.RsSwitch(true, QString::fromLatin1(text), 0, 1))) << text;
        EXPECT_EQ(rig.errorLines,
                  QStringList{"Router address must be a whole number from 0 to 15"});
    }
    EXPECT_EQ(rig.link.transmissions(), 0u);

    EXPECT_TRUE(finish(commands.RsSwitch(true, QStringLiteral("2"), 0, 1)));
    EXPECT_TRUE(finish(commands.RsSwitch(false, QStringLiteral(" 15 "), -1, 3)));

    ASSERT_TRUE(waitFor([&] { return rig.line.framesReceived() == 2; }));
    EXPECT_EQ(rig.line.receivedFrames()[0].toHex(' '), "2f 2f 46 30 32 52 30 31 49 30 32 5c 0d");
    EXPECT_EQ(rig.line.receivedFrames()[1], LinkRig::frame(kTypeB, 15, CmdRsDisconnect, 0, 4));
}

} // namespace
} // namespace corvantis::test

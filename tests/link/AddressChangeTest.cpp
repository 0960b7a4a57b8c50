#include "link/AddressChange.h"

#include "LinkRig.h"
#include "ScriptedDevice.h"
#include "link/Framing.h"

#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

using namespace std::chrono_literals;

std::string successText(int from, int to)
{
    return "Frame Address change success... \r\nOld FrameAddress: " + std::to_string(from) +
           "\r\nNew FrameAddress: " + std::to_string(to);
}

TEST(AddressChange, TypeAAcceptedChangeIsASuccess)
{
    LinkRig rig(quickRig(kTypeA));
    rig.config.settings.CommandGap = 0;
    ASSERT_TRUE(rig.openLine());
    AddressChange change(rig.config.settings, rig.link);

    EXPECT_TRUE(finish(change.Apply(0, 5)));

    EXPECT_EQ(rig.line.receivedFrames(),
              QList<QByteArray>{LinkRig::frame(kTypeA, 0, CmdSetFrameAddress, 5, 0)});
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages[0].text, successText(0, 5));
    EXPECT_EQ(rig.line.routers().value(0).frameAddress, 5);
}

class AddressChangeOnTheLine : public ::testing::TestWithParam<std::pair<int, bool>> {};

TEST_P(AddressChangeOnTheLine, UnansweredChangeReportsFailureUnderAKnownFraming)
{
    const auto [commType, reported] = GetParam();
    LinkRig rig(quickRig(commType, 0.02f));
    rig.config.settings.CommandGap = 0;
    rig.link.setTimings({.resend = 0ms});
    ASSERT_TRUE(rig.openLine());
    AddressChange change(rig.config.settings, rig.link);

    EXPECT_FALSE(finish(change.Apply(3, 4))); // nobody at 3

    EXPECT_EQ(rig.platform.messageTexts(),
              reported ? std::vector<std::string>{"Frame Address change failed."}
                       : std::vector<std::string>{});
    EXPECT_EQ(rig.errorLines, reported ? QStringList{"No reply from the router"} : QStringList{});
    EXPECT_EQ(rig.link.transmissions(), reported ? 5u : 0u);
}

INSTANTIATE_TEST_SUITE_P(EachFraming, AddressChangeOnTheLine,
                         ::testing::Values(std::pair{kTypeA, true}, std::pair{kTypeB, true},
                                           std::pair{2, false}));

TEST(AddressChange, TypeBTwoByteAnswerIsASuccessAtTheAddressItNames)
{
    LinkRig rig(quickRig(kTypeB));
    rig.config.settings.CommandGap = 0;
    // Not the checksum echo: the second byte names the address the router took.
    ScriptedDevice device(AnswerAlways(QByteArrayLiteral("\x01\x07")));
    ASSERT_TRUE(device.open(rig.portLinkPath()));
    AddressChange change(rig.config.settings, rig.link);

    EXPECT_TRUE(finish(change.Apply(2, 9)));

    EXPECT_EQ(device.received(), LinkRig::frame(kTypeB, 2, CmdSetFrameAddress, 9, 0));
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages.front().text, successText(2, 7));
}

} // namespace
} // namespace corvantis::test

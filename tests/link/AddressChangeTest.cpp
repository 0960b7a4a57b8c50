#include "link/AddressChange.h"

#include "LinkRig.h"
#include "ScriptedDevice.h"
#include "link/Framing.h"

#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

using namespace std::chrono_literals;

// Answered commands return as soon as the reply is in, so only unanswered ones feel the
// time-out; it stays generous where a reply is expected, for a busy machine.
RigOptions quickRig(int commType, float routerTimeout = 0.5f)
{
    return {.commType = commType, .routerTimeout = routerTimeout, .pacing = false};
}

void makeQuick(SerialLink &link)
{
    link.setTimings({.closing = 0ms, .noWait = 0ms, .resend = 0ms, .statusReply = 0ms});
}

bool lineHasRouterAt(const VirtualRouterLine &line, int frameAddress)
{
    for (const auto &router : line.routers()) {
        if (router.frameAddress == frameAddress)
            return true;
    }
    return false;
}

TEST(AddressChange, ResultsReadSoThatAnAcceptedChangeIsASuccess)
{
    using Outcome = AddressChange::Outcome;
    const auto same = [](Outcome a, Outcome b) {
        return a.success == b.success && (!a.success || a.newAddress == b.newAddress);
    };
    EXPECT_TRUE(same(AddressChange::Interpret(kTypeA, 6, 9), {true, 9}));
    EXPECT_TRUE(same(AddressChange::Interpret(kTypeB, 6, 9), {true, 9}));
    EXPECT_TRUE(same(AddressChange::Interpret(kTypeB, 128 + 4, 9), {true, 4}));
    EXPECT_TRUE(same(AddressChange::Interpret(kTypeB, 128, 9), {true, 0}));
    for (const int result : {0, -2, 1, 127})
        EXPECT_FALSE(AddressChange::Interpret(kTypeB, result, 9).success) << result;
    for (const int result : {0, -2})
        EXPECT_FALSE(AddressChange::Interpret(kTypeA, result, 9).success) << result;
}

class AddressChangeOnTheLine : public ::testing::TestWithParam<int> {};

TEST_P(AddressChangeOnTheLine, AcknowledgedChangeReportsSuccessWithTheNewAddress)
{
    LinkRig rig(quickRig(GetParam()));
    makeQuick(rig.link);
    ASSERT_TRUE(rig.openLine());
    AddressChange change(rig.config.settings, rig.link);

    EXPECT_TRUE(change.Apply(0, 5));

    EXPECT_TRUE(lineHasRouterAt(rig.line, 5));
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    const auto &box = rig.platform.messages.front();
    EXPECT_EQ(box.text,
              "Frame Address change success... \r\nOld FrameAddress: 0\r\nNew FrameAddress: 5");
    EXPECT_EQ(box.icon, MessageIcon::Information);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
}

TEST_P(AddressChangeOnTheLine, UnansweredChangeReportsFailure)
{
    LinkRig rig(quickRig(GetParam(), 0.02f));
    makeQuick(rig.link);
    ASSERT_TRUE(rig.openLine());
    AddressChange change(rig.config.settings, rig.link);

    // Nobody answers at frame address 3.
    EXPECT_FALSE(change.Apply(3, 4));

    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages.front().text, "Frame Address change failed.");
    EXPECT_EQ(rig.platform.messages.front().icon, MessageIcon::Exclamation);
    EXPECT_EQ(rig.errorLines, QStringList{"No reply from the router"});
}

TEST_P(AddressChangeOnTheLine, EachApplySendsOneCommandEvenToTheSameAddress)
{
    LinkRig rig(quickRig(GetParam()));
    makeQuick(rig.link);
    ASSERT_TRUE(rig.openLine());
    AddressChange change(rig.config.settings, rig.link);

    EXPECT_TRUE(change.Apply(0, 0));
    EXPECT_TRUE(change.Apply(0, 0));

    const QByteArray frame = LinkRig::frame(GetParam(), 0, CmdSetFrameAddress, 0, 0);
    ASSERT_TRUE(waitFor([&] { return rig.line.framesReceived() == 2; }));
    EXPECT_EQ(rig.received(frame), 2);
    EXPECT_EQ(rig.link.transmissions(), 2u);
    EXPECT_EQ(rig.platform.messages.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(BothFramings, AddressChangeOnTheLine, ::testing::Values(kTypeA, kTypeB));

TEST(AddressChange, TypeBTwoByteAnswerIsASuccessAtTheAddressItNames)
{
    LinkRig rig(quickRig(kTypeB));
    makeQuick(rig.link);
    // Not the checksum echo: the second byte names the address the router took.
    ScriptedDevice device(AnswerAlways(QByteArrayLiteral("\x01\x07")));
    ASSERT_TRUE(device.open(rig.portLinkPath()));
    AddressChange change(rig.config.settings, rig.link);

    EXPECT_TRUE(change.Apply(2, 9));

    EXPECT_EQ(device.received(), LinkRig::frame(kTypeB, 2, CmdSetFrameAddress, 9, 0));
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages.front().text,
              "Frame Address change success... \r\nOld FrameAddress: 2\r\nNew FrameAddress: 7");
    EXPECT_TRUE(rig.errorLines.isEmpty());
}

} // namespace
} // namespace corvantis::test

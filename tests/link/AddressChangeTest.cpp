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

// A Type B router may answer with two bytes instead of the checksum echo: the second names the
// address it took. Nobody answers at address 3; without a known framing nothing goes out.
TEST(AddressChange, ReportsTheAddressTheRouterTookOrTheFailure)
{
    const std::string failed = "Frame Address change failed.";
    const struct {
        int commType;
        QByteArray reply; // empty: the virtual line answers
        int from, to, frames;
        std::string box; // empty: none
    } cases[] = {{kTypeA, {}, 0, 5, 1, successText(0, 5)},
                 {kTypeB, QByteArrayLiteral("\x01\x07"), 2, 9, 1, successText(2, 7)},
                 {kTypeA, {}, 3, 4, 5, failed},
                 {kTypeB, {}, 3, 4, 5, failed},
                 {2, {}, 3, 4, 0, ""}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.commType << " from " << c.from);
        const bool succeeds = c.box != failed && !c.box.empty();
        LinkRig rig(quickRig(c.commType, succeeds ? 0.5f : 0.02f));
        rig.config.settings.CommandGap = 0;
        rig.link.setTimings({.resend = 0ms});
        ScriptedDevice device(AnswerAlways(c.reply));
        ASSERT_TRUE(c.reply.isEmpty() ? rig.openLine() : device.open(rig.portLinkPath()));
        AddressChange change(rig.config.settings, rig.link);

        EXPECT_EQ(finish(change.Apply(c.from, c.to)), succeeds);

        EXPECT_EQ(rig.sent,
                  QList<QByteArray>(
                      c.frames, LinkRig::frame(c.commType, c.from, CmdSetFrameAddress, c.to, 0)));
        EXPECT_EQ(rig.platform.messageTexts(),
                  c.box.empty() ? std::vector<std::string>{} : std::vector{c.box});
        EXPECT_EQ(rig.errorLines,
                  c.box == failed ? QStringList{"No reply from the router"} : QStringList{});
        // The line's router moves only when it was the one asked.
        EXPECT_EQ(rig.line.routers().value(0).frameAddress, c.from == 0 ? c.to : 0);
    }
}

} // namespace
} // namespace corvantis::test

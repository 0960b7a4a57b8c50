#include "LinkRig.h"
#include "link/Framing.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

using namespace std::chrono_literals;

constexpr int kRoutes = 1000;

// A thousand routes through the routing engine over a line that drops replies and sends noise,
// with the timer ticking all along: the link never stays held, and one status request brings
// the program's route states back to what the routers hold.
TEST(Soak, ThousandRoutesOverABadLineEndInStep)
{
    LinkRig rig({.commType = kTypeB,
                 .routers = {{.frameAddress = 0}, {.frameAddress = 1, .audioBreakaway = true}},
                 .routerTimeout = 0.05f,
                 .routerType = kAliveModel,
                 .pacing = false});
    // Short fixed pauses so a thousand commands fit the time; the protocol is unchanged.
    rig.config.settings.CommandGap = 0.04f;
    rig.link.setTimings({.noWait = 5ms, .resend = 10ms, .statusReply = 200ms});
    rig.line.setDropPercent(5);
    rig.line.setNoise(true);
    rig.line.setSeed(20240611);
    ASSERT_TRUE(rig.openLine());
    rig.poller.start();

    QRandomGenerator random(7);
    int failures = 0;
    for (int i = 0; i < kRoutes; ++i) {
        auto &router = rig.router(random.bounded(2));
        const int output = random.bounded(16);
        const int input = random.bounded(16);
        const int level = 1 + random.bounded(3);
        if (finish(rig.engine.RouteOnRouter(router, output, input, level)))
            ++failures;
        ASSERT_FALSE(rig.link.CommBusy()) << "route " << i;
    }
    rig.poller.stop();

    RecordProperty("framesReceived", rig.line.framesReceived());
    RecordProperty("repliesDropped", rig.line.repliesDropped());
    RecordProperty("noReplyMessages", static_cast<int>(rig.errorLines.size()));
    RecordProperty("transmissions", static_cast<int>(rig.link.transmissions()));
    // A route whose reply was lost or garbled fails, and says so; none fails silently.
    EXPECT_LE(failures, static_cast<int>(rig.errorLines.size()));
    EXPECT_GE(rig.line.framesReceived(), kRoutes);
    EXPECT_GT(rig.line.repliesDropped(), 0);
    for (const QString &line : rig.errorLines)
        EXPECT_EQ(line, "No reply from the router");

    // A clean line for the one status request that sets everything straight.
    rig.line.setNoise(false);
    rig.line.setDropPercent(0);
    finish(rig.link.Delay(std::chrono::milliseconds(300)));
    ASSERT_EQ(finish(rig.link.SendCommand(0, CmdStatus, 15, 15, false)), 0);
    ASSERT_EQ(rig.link.StatusBuffer().size(), 32);
    rig.engine.ReceiveStatusUpdate();

    for (const int address : {0, 1}) {
        for (int output = 0; output < 16; ++output) {
            const auto *state = rig.router(address).RouteState(output);
            EXPECT_EQ(state->Video(), rig.line.crosspoint(address, output))
                << "router " << address << " output " << output;
            EXPECT_EQ(state->Audio(), state->Video());
        }
    }
}

} // namespace
} // namespace corvantis::test

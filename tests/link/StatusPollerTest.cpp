#include "LinkRig.h"
#include "link/Framing.h"
#include "sim/PseudoTerminal.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

const QByteArray kAlivePoll("//F00U\x13\r");

// One tick and what it does on the line, to its end.
void tickToEnd(LinkRig &rig)
{
    rig.poller.Tick();
    ASSERT_TRUE(waitFor([&rig] { return !rig.poller.LineWorkRunning(); }));
}

// Ticks until one polls, that is writes to the line (once, or twice when the first try found
// no answer in time): how many, 0 when none of 40 did.
int ticksToPoll(LinkRig &rig)
{
    for (int tick = 1; tick <= 40; ++tick) {
        const auto before = rig.link.transmissions();
        tickToEnd(rig);
        if (rig.link.transmissions() > before)
            return tick;
    }
    return 0;
}

TEST(StatusPoller, AlivePollAfterATypeBRouteComesOnTheThirtiethTick)
{
    LinkRig rig({.commType = kTypeB, .routerType = kAliveModel, .pacing = false});
    ASSERT_TRUE(rig.openLineAndPort());
    rig.poller.setStatusPollEnabled(false);
    QSignalSpy indicator(&rig.poller, &StatusPoller::aliveIndicatorVisible);
    ASSERT_EQ(finish(rig.link.SendCommand(0, CmdRoute, 1, 1, true)), 6);

    EXPECT_EQ(ticksToPoll(rig), 30);
    ASSERT_TRUE(waitFor([&] { return rig.received(kAlivePoll) >= 1; }));
    EXPECT_EQ(indicator, QList<QVariantList>{{true}});

    // From then on every 20 ticks.
    EXPECT_EQ(ticksToPoll(rig), 20);
}

TEST(StatusPoller, SilentRouterGoesOfflineAfterTwoTriesAndBackOnlineWithAStatusRequest)
{
    LinkRig rig({.commType = kTypeB, .routerType = kAliveModel, .pacing = false});
    rig.line.setSilent(true);
    ASSERT_TRUE(rig.openLineAndPort());
    rig.poller.setStatusPollEnabled(false);
    QSignalSpy online(&rig.poller, &StatusPoller::matrixOnlineChanged);
    rig.poller.setAlivePollCounter(19);

    tickToEnd(rig);
    ASSERT_TRUE(waitFor([&] { return rig.received(kAlivePoll) == 2; }));
    EXPECT_EQ(online, QList<QVariantList>{{false}});
    EXPECT_EQ(rig.poller.matrixState(), StatusPoller::MatrixState::Offline);

    // A poll whose first try answers brings the router back (a late answer to the second try
    // leaves the indicator as it is, so a loaded machine may need another round).
    rig.line.setSilent(false);
    for (int round = 0; round < 5 && online.count() < 2; ++round) {
        rig.poller.setAlivePollCounter(19);
        tickToEnd(rig);
    }
    EXPECT_EQ(online, (QList<QVariantList>{{false}, {true}}));
    EXPECT_EQ(rig.poller.StatusPollCounter(), StatusPoller::kBackOnline);
}

// At 9600 baud a report takes three byte times: a tick that finds it half-way does not drop
// its first bytes as stale input.
TEST(StatusPoller, AReportStillArrivingAtTheTickIsCompletedNotLost)
{
    LinkRig rig({.commType = kTypeB, .pacing = false});
    PseudoTerminal router;
    QString error;
    ASSERT_TRUE(router.open(rig.portLinkPath(), &error)) << error.toStdString();
    ASSERT_FALSE(finish(rig.link.OpenCommPort()));
    ASSERT_TRUE(waitFor([&] { return router.isAttached(); }));
    QSignalSpy clicks(&rig.link, &SerialLink::routerReported);

    router.write(QByteArray("U\x03"));
    ASSERT_TRUE(waitFor([&] { return rig.link.bytesAvailable() == 2; }));
    tickToEnd(rig);
    router.write(QByteArray("\x05"));
    ASSERT_TRUE(waitFor([&] { return clicks.count() == 1; }));
    EXPECT_EQ(clicks[0][0].toInt(), 2 * 16 + 4);
}

TEST(StatusPoller, PeriodicTypeBRequestWaitsForAQuietLineAndIsAppliedOnTheNextTick)
{
    LinkRig rig({.commType = kTypeB});
    ASSERT_TRUE(rig.openLineAndPort());
    ASSERT_TRUE(rig.line.frontPanelRoute(0, 7, 9));
    ASSERT_TRUE(waitFor([&] { return rig.link.ReplyReceived(); }));
    rig.link.DiscardInput();
    QSignalSpy applied(&rig.engine, &RoutingEngine::statusApplied);
    // Data from the routers holds the counter back.
    for (int i = 0; i < 20; ++i) {
        rig.link.setReplyReceived(true);
        tickToEnd(rig);
    }
    rig.link.setReplyReceived(false);

    // Then the request comes ten ticks later.
    EXPECT_EQ(ticksToPoll(rig), 10);
    EXPECT_EQ(rig.link.transmissions(), 1u);
    EXPECT_EQ(rig.poller.StatusPollCounter(), 0);
    EXPECT_EQ(rig.link.StatusBuffer().size(), 16);
    EXPECT_EQ(applied.count(), 0);

    tickToEnd(rig);
    EXPECT_EQ(applied.count(), 1);
    EXPECT_EQ(rig.router(0).RouteState(7)->Video(), 9);
}

TEST(StatusPoller, TypeAPeriodicRequestIsASignOfLifeOnly)
{
    LinkRig rig({.commType = kTypeA});
    rig.line.setSilent(true);
    ASSERT_TRUE(rig.openLineAndPort());
    QSignalSpy applied(&rig.engine, &RoutingEngine::statusApplied);
    rig.poller.UpdateMatrix();

    tickToEnd(rig);

    EXPECT_EQ(rig.link.transmissions(), 1u);
    EXPECT_EQ(applied.count(), 0);
    EXPECT_EQ(rig.errorLines, QStringList{"No Router Communication"});
    EXPECT_EQ(rig.poller.StatusPollCounter(), 0);
}

// A command ends with its answer; the gap after it only keeps the next frame back, so a poll
// that comes due in it waits.
TEST(StatusPoller, TheGapAfterACommandHoldsBackTheNextFrameNotTheAnswer)
{
    LinkRig rig({.commType = kTypeB, .routerType = kAliveModel, .pacing = false});
    ASSERT_TRUE(rig.openLineAndPort());
    rig.poller.setStatusPollEnabled(false);
    // The longest gap, so that the answer comes well inside it on any machine.
    rig.config.settings.CommandGap = 1.0f;
    ASSERT_EQ(finish(rig.link.SendCommand(0, CmdRoute, 1, 1, true)), kAck);
    EXPECT_FALSE(rig.link.CommBusy());
    rig.poller.setAlivePollCounter(StatusPoller::kAlivePollDue - 1);
    rig.poller.Tick();
    EXPECT_EQ(rig.link.transmissions(), 1u);
    ASSERT_TRUE(waitFor([&] { return rig.line.framesReceived() == 2; }, std::chrono::seconds(3)));
    const auto times = rig.line.receivedTimes();
    EXPECT_GE(times[1] - times[0], std::chrono::milliseconds(990));
}

} // namespace
} // namespace corvantis::test

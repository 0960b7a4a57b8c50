// The core's one path for operator actions, against the virtual line: whatever arrives while a
// route waits for its reply runs after it, in order, or is refused with a message.
#include "CoreRig.h"
#include "LinkRig.h"
#include "config/ConfigFile.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace corvantis;
using namespace corvantis::test;

namespace {

constexpr int kOutputs = 16;

// Starts a route to output 0 that waits on a silent router; `during` runs in that wait, then
// the router answers again. Returns when every action has run.
void routeWhileSilent(CoreRig &rig, const std::function<void()> &during)
{
    rig.line.setSilent(true);
    QTimer::singleShot(30, &rig.core, [&rig, during] {
        EXPECT_TRUE(rig.core.link().CommBusy()) << "the first route should still wait";
        during();
        rig.line.setSilent(false);
    });
    rig.core.RouteCell(0); // input 0 to output 0
    ASSERT_TRUE(rig.settle());
}

// Poller ticks, each run to its end, until `done` holds or `limit` ticks went by; whether it holds.
bool tickUntil(CoreRig &rig, int limit, const std::function<bool()> &done = nullptr)
{
    for (int tick = 0; tick < limit && !(done && done()); ++tick) {
        rig.core.poller().Tick();
        if (!rig.settle())
            return false;
    }
    return !done || done();
}

TEST(ActionPathTest, ClicksAMacroAndUpdateMatrixDuringAWaitRunAfterItInTheirOrder)
{
    CoreRig rig;
    ASSERT_TRUE(rig.opened);
    routeWhileSilent(rig, [&rig] {
        // Row r, column c: input r to output c.
        for (int click = 1; click <= 20; ++click)
            rig.core.RouteCell(((click % 16) * 16) + (click % 16));
        rig.core.RunOnLine("Macro 1", [&rig]() -> Task<void> {
            co_await rig.core.RouteAt(0, 3, 4, AppCore::kAllLevels);
            co_await rig.core.RouteAt(0, 5, 6, AppCore::kAllLevels);
        });
        rig.core.UpdateMatrix();
    });
    EXPECT_TRUE(rig.errorLines.contains("Waiting for the router..."));
    for (int o = 0; o < kOutputs; ++o)
        EXPECT_EQ(rig.core.config().routers.at(0)->RouteState(o)->Video(),
                  rig.line.crosspoint(0, o))
            << "output " << o;
    // Update Matrix makes the next ticks ask for every crosspoint.
    ASSERT_TRUE(tickUntil(rig, 2));
    QList<QByteArray> expected{CoreRig::route(0, 0)};
    for (int click = 1; click <= 20; ++click)
        expected << CoreRig::route(click % 16, click % 16);
    expected << CoreRig::route(3, 4) << CoreRig::route(5, 6)
             << LinkRig::frame(kTypeB, 0, CmdStatus, 15, 15);
    EXPECT_EQ(rig.distinctFrames(), expected);
}

// Loading a file or accepting the setup replaces the routers; the route that waits keeps
// writing into the router it started on, which must still be alive (the sanitizer run checks).
TEST(ActionPathTest, ReplacingTheRoutersWaitsUntilTheRouteIsDone)
{
    for (const bool load : {true, false}) {
        SCOPED_TRACE(load ? "Load Configuration" : "setup OK");
        CoreRig rig;
        ASSERT_TRUE(rig.opened);
        bool replacedDuringWait = false;
        QObject::connect(&rig.core, &AppCore::configurationReplaced, &rig.core,
                         [&] { replacedDuringWait = rig.core.link().CommBusy(); });
        routeWhileSilent(rig, [&rig, load] {
            if (load) {
                Configuration saved;
                saved.settings = rig.core.settings();
                saved.routers.set(0, makeRouter({0, 2, 8, 8}));
                std::string path = rig.dataDir.filePath("eight.rcf").toStdString();
                ConfigSave(path, true, saved);
                rig.platform.fileAnswers.push_back(path);
                rig.core.LoadConfigurationAction();
            } else {
                rig.core.ApplySetup([](Configuration &config) {
                    config.routers.set(0, makeRouter({0, 2, 8, 8}));
                });
            }
        });
        EXPECT_FALSE(replacedDuringWait);
        const clsRouter *after = rig.core.config().routers.at(0);
        ASSERT_NE(after, nullptr);
        EXPECT_EQ(after->OutputCount(), 7);
        EXPECT_TRUE(rig.platform.unexpected.empty());
    }
}

} // namespace

// A locked output is never routed by anyone but its holder: a click says who holds it, a
// route to every output skips it and names it at the end, the holder itself gets through.
TEST(ActionPathTest, LockedOutputsAreRefusedOrSkippedAndSaidSo)
{
    CoreRig rig;
    ASSERT_TRUE(rig.opened);
    constexpr int kPanel = 2;
    rig.core.locks().lock(3, kPanel);
    rig.core.locks().lock(5, kPanel);

    rig.core.RouteCell(3 * 16 + 3); // input 3 to output 3
    rig.core.RouteInputToAll(7);
    rig.core.RunOnLine("Network route", [&rig]() -> Task<void> {
        const bool routed = co_await rig.core.RouteAt(0, 5, 1, AppCore::kAllLevels, kPanel);
        EXPECT_TRUE(routed);
    });
    ASSERT_TRUE(rig.settle());

    QList<QByteArray> expected;
    for (int o = 0; o < kOutputs; ++o)
        if (o != 3 && o != 5)
            expected << CoreRig::route(o, 7);
    expected << CoreRig::route(5, 1);
    EXPECT_EQ(rig.distinctFrames(), expected);
    EXPECT_TRUE(rig.errorLines.contains("Output 4 is locked by network panel 2"));
    EXPECT_TRUE(rig.errorLines.contains("Locked outputs skipped: 4, 6"));
    EXPECT_EQ(rig.platform.beeps, 1);
    EXPECT_EQ(rig.core.config().routers.at(0)->RouteState(3)->Video(), -1);
}

namespace {

struct ReportCase {
    const char *name;
    int commType;
    bool statusRequest;
};

class ReportDuringAnAnswer : public ::testing::TestWithParam<ReportCase> {};

} // namespace

// A front panel changes a crosspoint just as a frame goes out, so its report reaches the line
// before the answer. The report is a fact, applied whatever the locks and without a frame of
// its own; the answer still counts, unshifted and without a resend.
TEST_P(ReportDuringAnAnswer, IsAppliedAndTheAnswerStillCounts)
{
    const ReportCase &c = GetParam();
    CoreRig rig;
    ASSERT_TRUE(rig.opened);
    rig.core.settings().CommType = c.commType;
    rig.line.setCommType(c.commType);
    rig.line.setPacing(true);
    rig.core.link().setTimings({.statusReply = std::chrono::milliseconds(200)});
    rig.core.locks().lock(9, 7);
    QObject::connect(
        &rig.core.link(), &SerialLink::frameTransmitted, &rig.line,
        [&rig] { rig.line.frontPanelRoute(0, 9, 5); }, Qt::SingleShotConnection);

    if (c.statusRequest)
        rig.core.SendStartupRequestWhenFree();
    else
        ASSERT_TRUE(rig.core.SubmitRoutes(QStringLiteral("Window route"), {{0, 2, 4, 3}}, {}));
    ASSERT_TRUE(
        waitFor([&] { return rig.core.config().routers.at(0)->RouteState(9)->Video() == 5; }));
    ASSERT_TRUE(rig.settle());

    EXPECT_EQ(rig.core.link().transmissions(), 1u);
    EXPECT_FALSE(rig.errorLines.contains("No reply from the router"));
    EXPECT_FALSE(rig.core.engine().RemoteClick());
    EXPECT_EQ(rig.platform.beeps, 0);
    const clsRouter &router = *rig.core.config().routers.at(0);
    for (int output = 0; output <= router.OutputCount(); ++output) {
        if (c.statusRequest || output == 2) {
            EXPECT_EQ(router.RouteStateIfAny(output)->Video(), rig.line.crosspoint(0, output))
                << "output " << output;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ActionPathTest, ReportDuringAnAnswer,
                         ::testing::Values(ReportCase{"RouteTypeA", kTypeA, false},
                                           ReportCase{"RouteTypeB", kTypeB, false},
                                           ReportCase{"StatusRequest", kTypeB, true}),
                         [](const auto &info) { return std::string(info.param.name); });

// Every route is pending from the click until it ends: confirmed by the router, or failed with
// the reason until a status reply tells what holds.
TEST(ActionPathTest, EveryRouteIsPendingUntilConfirmedOrFailedWithItsReason)
{
    CoreRig rig;
    ASSERT_TRUE(rig.opened);
    const auto cell = [&rig](int output) { return rig.core.truth().at(0, output, 1); };
    using State = CrosspointTruth::State;
    rig.line.setSilent(true);
    rig.core.RouteCell(2 * 16 + 1); // input 2 to output 1, unanswered
    rig.core.RouteCell(3 * 16 + 4); // input 3 to output 4, behind it
    EXPECT_EQ(std::pair(cell(1).state, cell(1).pendingInput), std::pair(State::Pending, 2));
    EXPECT_EQ(std::pair(cell(4).state, cell(4).pendingInput), std::pair(State::Pending, 3));

    ASSERT_TRUE(waitFor([&] { return cell(1).state == State::Failed; }));
    rig.line.setSilent(false);
    ASSERT_TRUE(rig.settle());
    EXPECT_EQ(cell(1).reason, "No reply from the router");
    EXPECT_TRUE(cell(1).failedAt.isValid());
    EXPECT_EQ(cell(4).state, State::Confirmed);
    EXPECT_EQ(rig.core.config().routers.at(0)->RouteState(4)->Video(), 3);

    rig.core.UpdateMatrix();
    EXPECT_TRUE(tickUntil(rig, 5, [&] { return cell(1).state == State::Confirmed; }));
}

// One router of two stops answering: its outputs turn stale after its third missed turn while
// its neighbour's stay confirmed; when it answers again they stay stale until its status is in.
TEST(ActionPathTest, ASilentRouterGoesStaleAloneAndIsTrustedAgainOnlyAfterItsStatus)
{
    CoreRig rig({16, 16});
    ASSERT_TRUE(rig.opened);
    rig.core.settings().CurrentRouterType = kAliveModel;
    const auto state = [&rig](int frame) { return rig.core.truth().at(frame, 3, 1).state; };
    const auto health = [&rig](int frame) { return rig.core.health().at(frame); };
    const auto pollTurn = [&rig] {
        rig.core.poller().setAlivePollCounter(StatusPoller::kAlivePollDue - 1);
        return tickUntil(rig, 1);
    };
    using State = CrosspointTruth::State;
    rig.line.setRouterSilent(1, true);
    for (int turn = 0; turn < 2 * RouterHealth::kStaleTurns; ++turn) {
        ASSERT_TRUE(pollTurn());
        EXPECT_EQ(state(1),
                  turn < 2 * RouterHealth::kStaleTurns - 1 ? State::Confirmed : State::Stale);
    }
    EXPECT_EQ(health(1).state, RouterHealth::State::Offline);
    EXPECT_EQ(health(0).state, RouterHealth::State::Online);
    EXPECT_TRUE(health(0).lastAnswer.isValid());
    EXPECT_EQ(state(0), State::Confirmed);

    rig.line.setRouterSilent(1, false);
    for (int turn = 0; turn < 2 && health(1).state != RouterHealth::State::Online; ++turn)
        ASSERT_TRUE(pollTurn());
    ASSERT_EQ(health(1).state, RouterHealth::State::Online);
    EXPECT_EQ(state(1), State::Stale) << "trusted before its status was read";
    EXPECT_TRUE(tickUntil(rig, 5, [&] { return state(1) == State::Confirmed; }));
    EXPECT_TRUE(rig.line.receivedFrames().contains(LinkRig::frame(kTypeB, 0, CmdStatus, 15, 15)));
}

// At 9600 baud the status a 16-output router gives the alive poll takes longer than the poll
// waits. A route that waited for the poll goes out while that reply still arrives; the rest
// is not its answer.
TEST(ActionPathTest, ARouteAfterAnAlivePollIsNotAnsweredByThePollsReply)
{
    CoreRig rig;
    ASSERT_TRUE(rig.opened);
    rig.core.settings().CurrentRouterType = kAliveModel;
    rig.line.setPacing(true);
    rig.core.poller().setAlivePollCounter(StatusPoller::kAlivePollDue - 1);
    rig.core.poller().Tick();
    ASSERT_TRUE(rig.core.link().CommBusy());
    ASSERT_TRUE(rig.core.SubmitRoutes(QStringLiteral("Window route"), {{0, 2, 4, 3}}, {}));
    ASSERT_TRUE(rig.settle());
    EXPECT_EQ(rig.core.truth().at(0, 2, 1).state, CrosspointTruth::State::Confirmed);
    EXPECT_EQ(rig.line.receivedFrames().count(CoreRig::route(2, 4)), 1);
    EXPECT_FALSE(rig.errorLines.contains("No reply from the router"));
}

// Take mode: clicks on each level only preset; Take sends every preset in one go, in order,
// and what the router accepted holds on each level.
TEST(ActionPathTest, TakeSendsThePresetsOfEachLevelInOneGo)
{
    CoreRig rig;
    ASSERT_TRUE(rig.opened);
    clsRouter &router = *rig.core.config().routers.at(0);
    router.AudioBreakaway = true;
    rig.core.presets().setEnabled(true);
    const std::array<std::pair<int, int>, 3> clicks{{{AppCore::kVideo, 2 * 16 + 1},
                                                     {AppCore::kAudio, 5 * 16 + 1},
                                                     {AppCore::kAllLevels, 3 * 16 + 4}}};
    for (const auto &[level, cell] : clicks) {
        rig.core.SetCurrentLayer(level);
        rig.core.RouteCell(cell);
    }
    ASSERT_TRUE(rig.settle());
    EXPECT_TRUE(rig.line.receivedFrames().isEmpty());

    rig.core.Take();
    ASSERT_TRUE(rig.settle());
    EXPECT_EQ(rig.distinctFrames(), (QList<QByteArray>{CoreRig::route(1, 2), CoreRig::route(1, 5),
                                                       CoreRig::route(4, 3)}));
    EXPECT_EQ(router.RouteState(1)->Video(), 2);
    EXPECT_EQ(router.RouteState(1)->Audio(), 5);
    EXPECT_EQ(router.RouteState(4)->Audio(), 3);
    EXPECT_TRUE(rig.core.presets().isEmpty());
}

#include "LinkRig.h"
#include "link/Framing.h"
#include "util/RuntimeError.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

// Two routers at frame addresses first and first + 1. The line answers at once, so no
// acknowledgement can come late and draw a resend.
RigOptions pairOptions(int commType = kTypeA, bool paired = true, int first = 2)
{
    return {.commType = commType,
            .routers = {{.frameAddress = first}, {.frameAddress = first + 1}},
            .routerTimeout = 0.1f,
            .matrixSize = paired,
            .pacing = false};
}

// Every frame in order, none missing and none extra (each answered at once). The output had
// no source on router 3 before: the pair follow-up goes out too. A disconnect the partner never
// acknowledges stops the route there.
TEST(RoutingEngine, PairedRouteDisconnectsThePartnerFirst)
{
    const QByteArray disconnect = LinkRig::frame(kTypeA, 2, CmdDisconnect, 5, 0);
    const QList<QByteArray> routed{LinkRig::frame(kTypeA, 3, CmdRoute, 5, 2),
                                   LinkRig::frame(kTypeA, 3, CmdPairRoute, 5, 2)};
    const struct {
        bool partnerThere, silent;
        QList<QByteArray> sent;
        std::vector<int> videos; // partner and router 3, each in the window and on the line
    } cases[] = {{true, false, QList{disconnect} + routed, {-1, -1, 2, 2}},
                 {false, false, routed, {-1, -1, 2, 2}},
                 {true, true, QList<QByteArray>(5, disconnect), {4, -1, -1, -1}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "partner " << c.partnerThere << " silent " << c.silent);
        RigOptions options = pairOptions();
        if (!c.partnerThere)
            options.routers = {{.frameAddress = 3}};
        LinkRig rig(options);
        ASSERT_TRUE(rig.openLine());
        if (c.partnerThere) {
            ASSERT_EQ(finish(rig.link.SendCommand(2, CmdRoute, 5, 4, true)), 6);
            rig.router(2).RouteState(5)->SetVideo(4);
            rig.sent.clear();
        }
        rig.line.setSilent(c.silent);

        EXPECT_EQ(finish(rig.engine.RouteOnRouter(rig.router(3), 5, 2, 3)), c.silent);

        EXPECT_EQ(rig.sent, c.sent);
        const int partner = c.partnerThere ? rig.router(2).RouteState(5)->Video() : -1;
        EXPECT_EQ(
            (std::vector<int>{partner, rig.line.crosspoint(2, 5),
                              rig.router(3).RouteState(5)->Video(), rig.line.crosspoint(3, 5)}),
            c.videos);
    }
}

// Router 0's output 4 and its pair partner's, router 1. A route the router reported itself
// (remote) sends only what the pair still needs. Type B has no frame for a disconnect or the
// pair's follow-up: what needs one is refused and changes nothing; the route alone goes out.
TEST(RoutingEngine, ARouteSendsOnlyWhatTheFramingCarriesAndThePairNeeds)
{
    const char *noDisconnect = "Type B routers cannot disconnect an output";
    const char *partnerFeeds = "The partner router feeds this output; Type B cannot release it";
    const QList<QByteArray> released{LinkRig::frame(kTypeA, 1, CmdDisconnect, 4, 0),
                                     LinkRig::frame(kTypeA, 0, CmdPairRoute, 4, 2)};
    const struct {
        int commType;
        bool paired, remote;
        int partner, before, input;
        const char *message; // nullptr: routed
        QList<QByteArray> sent;
    } cases[] = {
        {kTypeA, false, true, 7, -1, 2, nullptr, {}},
        {kTypeA, true, true, 7, -1, 2, nullptr, released},
        {kTypeA, true, true, 7, -1, -1, nullptr, {}},
        {kTypeB, false, false, -1, 5, -1, noDisconnect, {}},
        {kTypeB, true, false, 7, 5, 2, partnerFeeds, {}},
        {kTypeB, true, false, -1, 5, 2, nullptr, {LinkRig::frame(kTypeB, 0, CmdRoute, 4, 2)}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        LinkRig rig(pairOptions(c.commType, c.paired, 0));
        ASSERT_TRUE(rig.openLine());
        rig.router(0).RouteState(4)->SetVideo(c.before);
        rig.router(0).RouteState(4)->SetAudio(c.before);
        rig.router(1).RouteState(4)->SetVideo(c.partner);
        rig.engine.setRemoteClick(c.remote);

        EXPECT_EQ(finish(rig.engine.RouteOnRouter(rig.router(0), 4, c.input, 3)),
                  c.message != nullptr);

        EXPECT_EQ(rig.errorLines, c.message ? QStringList{c.message} : QStringList{});
        EXPECT_EQ(rig.sent, c.sent);
        const clsRouteState &state = *rig.router(0).RouteState(4);
        const int after = c.message ? c.before : c.input;
        EXPECT_EQ((std::vector<int>{state.Video(), state.Audio()}), std::vector(2, after));
    }
}

// A route that fails is neither recorded nor shown, and says why.
TEST(RoutingEngine, UnansweredOrUnconfiguredRouteIsNeitherRecordedNorShown)
{
    for (const bool loaded : {true, false}) {
        LinkRig rig({.commType = kTypeA, .routerTimeout = 0.05f, .pacing = false});
        rig.line.setSilent(true);
        ASSERT_TRUE(rig.openLine());
        rig.config.settings.ConfigLoaded = loaded;
        rig.recording.setRecordMode(1);

        EXPECT_TRUE(finish(rig.engine.RouteOnRouter(rig.router(0), 4, 2, 3)));

        EXPECT_EQ(rig.sent.size(), loaded ? 5 : 0);
        EXPECT_TRUE(rig.recording.steps().empty());
        EXPECT_EQ(rig.router(0).RouteState(4)->Video(), -1);
        EXPECT_TRUE(rig.errorLines.contains(
            loaded ? "No reply from the router"
                   : "Please select File/Setup Current Hardware Configuration first"));
    }
}

TEST(RoutingEngine, PortsTheRouterDoesNotHaveAreRefusedBeforeSending)
{
    LinkRig rig({.commType = kTypeA, .routerTimeout = 0.0f});
    ASSERT_TRUE(rig.openLine());
    for (const auto &[output, input] : {std::pair{16, 2}, {4, 16}, {4, -2}})
        EXPECT_THROW(finish(rig.engine.RouteOnRouter(rig.router(0), output, input, 3)),
                     RuntimeError);
    EXPECT_TRUE(rig.sent.isEmpty());
}

TEST(RoutingEngine, StatusReplyWritesTheOutputsItCovers)
{
    LinkRig rig({.routers = {{.frameAddress = 0, .outputs = 3}}});
    rig.router(0).RouteState(2)->SetVideo(5);
    QSignalSpy applied(&rig.engine, &RoutingEngine::statusApplied);
    const auto videos = [&rig] {
        const auto video = [&rig](int output) { return rig.router(0).RouteState(output)->Video(); };
        return std::vector<int>{video(0), video(1), video(2)};
    };

    rig.link.setStatusBuffer(QByteArray("\x83\x80", 2));
    rig.engine.ReceiveStatusUpdate();

    EXPECT_EQ(applied.count(), 1);
    EXPECT_TRUE(rig.link.StatusBuffer().isEmpty());
    EXPECT_EQ(videos(), (std::vector{3, 0, 5}));
    EXPECT_EQ(rig.router(0).RouteState(0)->Audio(), 3);
    EXPECT_FALSE(rig.router(0).RouteState(0)->AudioSplit);

    // Bytes that name no input of the router leave the output without a known source.
    rig.link.setStatusBuffer(QByteArray("\x7F\x90\x8F\x81", 4));
    rig.engine.ReceiveStatusUpdate();
    EXPECT_EQ(videos(), (std::vector{-1, -1, 15}));
}

} // namespace
} // namespace corvantis::test

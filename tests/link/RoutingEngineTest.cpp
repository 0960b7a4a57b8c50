#include "LinkRig.h"
#include "config/MacroStore.h"
#include "link/Framing.h"
#include "util/RuntimeError.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

// The line answers at once, so no acknowledgement can come late and draw a resend.
RigOptions pairedOptions()
{
    return {.commType = kTypeA,
            .routers = {{.frameAddress = 2}, {.frameAddress = 3}},
            .routerTimeout = 0.1f,
            .matrixSize = true,
            .pacing = false};
}

TEST(RoutingEngine, PairedRouteDisconnectsThePartnerFirst)
{
    LinkRig rig(pairedOptions());
    ASSERT_TRUE(rig.openLine());
    ASSERT_EQ(rig.link.SendCommand(2, CmdRoute, 5, 4, true), 6);
    rig.router(2).RouteState(5)->SetVideo(4);
    QSignalSpy sent(&rig.link, &SerialLink::frameTransmitted);

    EXPECT_FALSE(rig.engine.RouteOnRouter(rig.router(3), 5, 2, 3));

    // Every frame in order, none missing and none extra (each answered at once).
    ASSERT_EQ(sent.count(), 3);
    EXPECT_EQ(sent[0][0].toByteArray(), LinkRig::frame(kTypeA, 2, CmdDisconnect, 5, 0));
    EXPECT_EQ(sent[1][0].toByteArray(), LinkRig::frame(kTypeA, 3, CmdRoute, 5, 2));
    // The output had no source on router 3 before: the pair follow-up goes out too.
    EXPECT_EQ(sent[2][0].toByteArray(), LinkRig::frame(kTypeA, 3, CmdPairRoute, 5, 2));
    EXPECT_EQ(rig.router(2).RouteState(5)->Video(), -1);
    EXPECT_EQ(rig.router(3).RouteState(5)->Video(), 2);
    EXPECT_EQ(rig.line.crosspoint(2, 5), -1);
    EXPECT_EQ(rig.line.crosspoint(3, 5), 2);
}

TEST(RoutingEngine, UnacknowledgedPartnerDisconnectStopsTheRoute)
{
    LinkRig rig(pairedOptions());
    rig.line.setSilent(true);
    ASSERT_TRUE(rig.openLine());
    rig.router(2).RouteState(5)->SetVideo(4);

    EXPECT_TRUE(rig.engine.RouteOnRouter(rig.router(3), 5, 2, 3));

    ASSERT_TRUE(waitFor([&] { return rig.line.framesReceived() == 5; }));
    EXPECT_EQ(rig.received(LinkRig::frame(kTypeA, 2, CmdDisconnect, 5, 0)), 5);
    EXPECT_EQ(rig.router(2).RouteState(5)->Video(), 4);
    EXPECT_EQ(rig.router(3).RouteState(5)->Video(), -1);
    EXPECT_EQ(rig.line.crosspoint(3, 5), -1);
}

TEST(RoutingEngine, EmptyPartnerSlotHasNothingToDisconnect)
{
    LinkRig rig({.commType = kTypeA,
                 .routers = {{.frameAddress = 3}},
                 .routerTimeout = 0.0f,
                 .matrixSize = true});
    ASSERT_TRUE(rig.openLine());

    EXPECT_FALSE(rig.engine.RouteOnRouter(rig.router(3), 5, 2, 3));

    EXPECT_EQ(rig.link.transmissions(), 2u); // route and pair follow-up
    EXPECT_EQ(rig.line.crosspoint(3, 5), 2);
    EXPECT_EQ(rig.router(3).RouteState(5)->Video(), 2);
}

TEST(RoutingEngine, RemoteClickSendsOnlyWhatThePairStillNeeds)
{
    for (const bool paired : {false, true}) {
        LinkRig rig({.commType = kTypeA,
                     .routers = {{.frameAddress = 0}, {.frameAddress = 1}},
                     .routerTimeout = 0.1f,
                     .matrixSize = paired,
                     .pacing = false});
        ASSERT_TRUE(rig.openLine());
        rig.router(1).RouteState(4)->SetVideo(7);
        rig.engine.setRemoteClick(true);
        QSignalSpy sent(&rig.link, &SerialLink::frameTransmitted);

        EXPECT_FALSE(rig.engine.RouteOnRouter(rig.router(0), 4, 2, 3));
        EXPECT_FALSE(rig.engine.RouteOnRouter(rig.router(0), 6, -1, 3));

        // The router made the route itself; its partner is released and the pair told.
        QList<QByteArray> expected;
        if (paired)
            expected = {LinkRig::frame(kTypeA, 1, CmdDisconnect, 4, 0),
                        LinkRig::frame(kTypeA, 0, CmdPairRoute, 4, 2)};
        QList<QByteArray> frames;
        for (const auto &args : sent)
            frames << args[0].toByteArray();
        EXPECT_EQ(frames, expected) << "paired " << paired;
        EXPECT_EQ(rig.router(0).RouteState(4)->Video(), 2);
        EXPECT_EQ(rig.router(0).RouteState(4)->Audio(), 2);
        EXPECT_EQ(rig.router(0).RouteState(6)->Video(), -1);
    }
}

// Type B has no frame for a disconnect or the pair's follow-up; what needs one is refused.
TEST(RoutingEngine, TypeBRefusesWhatItCannotSendAndChangesNothing)
{
    struct Case {
        bool paired;
        bool partnerHolds;
        int input;
        const char *message; // nullptr: routed
    };
    for (const Case c :
         {Case{false, false, -1, "Type B routers cannot disconnect an output"},
          Case{true, true, 2, "The partner router feeds this output; Type B cannot release it"},
          Case{true, false, 2, nullptr}}) {
        LinkRig rig({.commType = kTypeB,
                     .routers = {{.frameAddress = 0}, {.frameAddress = 1}},
                     .routerTimeout = 0.1f,
                     .matrixSize = c.paired,
                     .pacing = false});
        ASSERT_TRUE(rig.openLine());
        rig.router(0).RouteState(4)->SetVideo(5);
        if (c.partnerHolds)
            rig.router(1).RouteState(4)->SetVideo(7);

        const bool failed = rig.engine.RouteOnRouter(rig.router(0), 4, c.input, 3);

        EXPECT_EQ(failed, c.message != nullptr);
        if (c.message) {
            EXPECT_EQ(rig.link.transmissions(), 0u);
            EXPECT_EQ(rig.router(0).RouteState(4)->Video(), 5);
            EXPECT_EQ(rig.errorLines, QStringList{c.message});
        } else {
            // The route alone: no bare address for a follow-up.
            EXPECT_EQ(rig.line.receivedFrames(),
                      QList<QByteArray>{LinkRig::frame(kTypeB, 0, CmdRoute, 4, 2)});
            EXPECT_EQ(rig.router(0).RouteState(4)->Video(), 2);
        }
    }
}

TEST(RoutingEngine, UnansweredRouteIsNeitherRecordedNorShown)
{
    LinkRig rig({.commType = kTypeA, .routerTimeout = 0.05f, .pacing = false});
    rig.line.setSilent(true);
    ASSERT_TRUE(rig.openLine());
    rig.recording.setRecordMode(1);

    EXPECT_TRUE(rig.engine.RouteOnRouter(rig.router(0), 4, 2, 3));

    EXPECT_EQ(rig.received(LinkRig::frame(kTypeA, 0, CmdRoute, 4, 2)), 5);
    EXPECT_TRUE(rig.recording.steps().empty());
    EXPECT_EQ(rig.router(0).RouteState(4)->Video(), -1);
    EXPECT_TRUE(rig.errorLines.contains("No reply from the router"));
}

TEST(RoutingEngine, WithoutAConfigurationNothingIsSentOrRecorded)
{
    LinkRig rig({.commType = kTypeA, .routerTimeout = 0.0f});
    ASSERT_TRUE(rig.openLine());
    rig.config.settings.ConfigLoaded = false;
    rig.recording.setRecordMode(1);

    EXPECT_TRUE(rig.engine.RouteOnRouter(rig.router(0), 4, 2, 3));

    EXPECT_EQ(rig.link.transmissions(), 0u);
    EXPECT_TRUE(rig.recording.steps().empty());
    EXPECT_EQ(rig.router(0).RouteState(4)->Video(), -1);
    EXPECT_EQ(rig.errorLines,
              QStringList{"Please select File/Setup Current Hardware Configuration first"});
}

TEST(RoutingEngine, PortsTheRouterDoesNotHaveAreRefusedBeforeSending)
{
    LinkRig rig({.commType = kTypeA, .routerTimeout = 0.0f});
    ASSERT_TRUE(rig.openLine());

    EXPECT_THROW(rig.engine.RouteOnRouter(rig.router(0), 16, 2, 3), RuntimeError);
    EXPECT_THROW(rig.engine.RouteOnRouter(rig.router(0), 4, 16, 3), RuntimeError);
    EXPECT_THROW(rig.engine.RouteOnRouter(rig.router(0), 4, -2, 3), RuntimeError);
    EXPECT_EQ(rig.link.transmissions(), 0u);
}

TEST(RoutingEngine, StatusReplyWritesTheOutputsItCovers)
{
    LinkRig rig({.routers = {{.frameAddress = 0, .outputs = 3}}});
    rig.router(0).RouteState(2)->SetVideo(5);
    QSignalSpy applied(&rig.engine, &RoutingEngine::statusApplied);

    rig.link.setStatusBuffer(QByteArray("\x83\x80", 2));
    rig.engine.ReceiveStatusUpdate();

    EXPECT_EQ(applied.count(), 1);
    EXPECT_TRUE(rig.link.StatusBuffer().isEmpty());
    EXPECT_EQ(rig.router(0).RouteState(0)->Video(), 3);
    EXPECT_EQ(rig.router(0).RouteState(0)->Audio(), 3);
    EXPECT_FALSE(rig.router(0).RouteState(0)->AudioSplit);
    EXPECT_EQ(rig.router(0).RouteState(1)->Video(), 0);
    EXPECT_EQ(rig.router(0).RouteState(2)->Video(), 5);

    // Bytes that name no input of the router leave the output without a known source.
    rig.link.setStatusBuffer(QByteArray("\x7F\x90\x8F\x81", 4));
    rig.engine.ReceiveStatusUpdate();
    EXPECT_EQ(rig.router(0).RouteState(0)->Video(), -1);
    EXPECT_EQ(rig.router(0).RouteState(1)->Video(), -1);
    EXPECT_EQ(rig.router(0).RouteState(2)->Video(), 15);
}

} // namespace
} // namespace corvantis::test

// The core's one path for operator actions, against the virtual line: whatever arrives while a
// route waits for its reply runs after it, in order, or is refused with a message.
#include "LinkRig.h"
#include "config/ConfigFile.h"
#include "core/AppCore.h"
#include "util/GeneralFunctions.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace corvantis;
using namespace corvantis::test;

namespace {

constexpr int kOutputs = 16;

// An AppCore on a fresh data folder with one Type B 16x16 router, its port open on the line.
class ActionPathRig {
public:
    ActionPathRig()
    {
        platform.dataFolder = dataDir.path().toStdString();
        Settings &settings = core.settings();
        settings.CommPortName = "COM1";
        settings.RouterTimeout = 0.1f;
        settings.CommType = kTypeB;
        settings.CurrentRouterType = 2;
        settings.ConfigLoaded = true;
        core.config().routers.set(0, makeRouter(0, kOutputs));
        core.Rebuild();
        line.setCommType(kTypeB);
        line.setPacing(false);
        line.addRouter({0, kOutputs, kOutputs, 0});
        // Short pauses: the order of frames is what counts here, not the protocol's timing.
        core.link().setTimings({std::chrono::milliseconds(20), std::chrono::milliseconds(5),
                                std::chrono::milliseconds(20), std::chrono::milliseconds(30)});
        const QString link = QString::fromStdString(ProgramDataFolder()) + "ports/com1";
        opened = line.open(link) && !core.link().OpenCommPort() &&
                 waitFor([this] { return line.isAttached(); });
        QObject::connect(&core.link(), &SerialLink::errorMessageChanged, &core.link(),
                         [this](const QString &text) {
                             if (!text.isEmpty())
                                 errorLines << text;
                         });
    }
    ~ActionPathRig()
    {
        core.link().CloseCommPort();
        line.close();
    }

    static std::unique_ptr<clsRouter> makeRouter(int frameAddress, int ports)
    {
        auto router = std::make_unique<clsRouter>();
        router->SetRouterType(2);
        router->SetFrameAddress(frameAddress);
        router->SetInputCount(ports - 1);
        router->SetOutputCount(ports - 1);
        return router;
    }
    static QByteArray route(int output, int input)
    {
        return LinkRig::frame(kTypeB, 0, CmdRoute, output, input);
    }
    // The frames on the wire with resends of the same frame counted once.
    QList<QByteArray> distinctFrames() const
    {
        QList<QByteArray> frames;
        for (const QByteArray &frame : line.receivedFrames())
            if (frames.isEmpty() || frames.back() != frame)
                frames << frame;
        return frames;
    }
    // Starts a route to output 0 that waits on a silent router; `during` runs in that wait,
    // then the router answers again. Returns when every action has run.
    void routeWhileSilent(const std::function<void()> &during)
    {
        line.setSilent(true);
        QTimer::singleShot(30, &core, [this, during] {
            EXPECT_TRUE(core.link().CommBusy()) << "the first route should still wait";
            during();
            line.setSilent(false);
        });
        core.RouteCell(0); // input 0 to output 0
        ASSERT_TRUE(waitFor([this] { return core.actions().Idle() && !core.link().CommBusy(); }));
    }

    ScriptedPlatform platform;
    QTemporaryDir dataDir;
    VirtualRouterLine line;
    AppCore core;
    QStringList errorLines;
    bool opened = false;
};

TEST(ActionPathTest, ClicksDuringAWaitRunAfterItInTheirOrder)
{
    ActionPathRig rig;
    ASSERT_TRUE(rig.opened);
    rig.routeWhileSilent([&rig] {
        for (int click = 1; click <= 20; ++click) {
            // Row r, column c: input r to output c.
            rig.core.RouteCell(((click % 16) * 16) + (click % 16));
        }
    });
    QList<QByteArray> expected{ActionPathRig::route(0, 0)};
    for (int click = 1; click <= 20; ++click)
        expected << ActionPathRig::route(click % 16, click % 16);
    EXPECT_EQ(rig.distinctFrames(), expected);
    EXPECT_TRUE(rig.errorLines.contains("Waiting for the router..."));
    for (int o = 0; o < kOutputs; ++o)
        EXPECT_EQ(rig.core.config().routers.at(0)->RouteState(o)->Video(),
                  rig.line.crosspoint(0, o))
            << "output " << o;
}

TEST(ActionPathTest, MacroAndUpdateMatrixDuringAWaitGoOutWholeAfterIt)
{
    ActionPathRig rig;
    ASSERT_TRUE(rig.opened);
    rig.routeWhileSilent([&rig] {
        rig.core.RunOnLine("Macro 1", [&rig] {
            rig.core.RouteAt(0, 3, 4, AppCore::kAllLevels);
            rig.core.RouteAt(0, 5, 6, AppCore::kAllLevels);
        });
        rig.core.UpdateMatrix();
    });
    // Update Matrix makes the next ticks ask for every crosspoint.
    rig.core.poller().Tick();
    rig.core.poller().Tick();
    const QList<QByteArray> expected{ActionPathRig::route(0, 0), ActionPathRig::route(3, 4),
                                     ActionPathRig::route(5, 6),
                                     LinkRig::frame(kTypeB, 0, CmdStatus, 15, 15)};
    EXPECT_EQ(rig.distinctFrames(), expected);
}

// Loading a file or accepting the setup replaces the routers; the route that waits keeps
// writing into the router it started on, which must still be alive (the sanitizer run checks).
TEST(ActionPathTest, ReplacingTheRoutersWaitsUntilTheRouteIsDone)
{
    for (const bool load : {true, false}) {
        SCOPED_TRACE(load ? "Load Configuration" : "setup OK");
        ActionPathRig rig;
        ASSERT_TRUE(rig.opened);
        bool replacedDuringWait = false;
        QObject::connect(&rig.core, &AppCore::configurationReplaced, &rig.core,
                         [&] { replacedDuringWait = rig.core.link().CommBusy(); });
        rig.routeWhileSilent([&rig, load] {
            if (load) {
                Configuration saved;
                saved.settings = rig.core.settings();
                saved.routers.set(0, ActionPathRig::makeRouter(0, 8));
                std::string path = rig.dataDir.filePath("eight.rcf").toStdString();
                ConfigSave(path, true, saved);
                rig.platform.fileAnswers.push_back(path);
                rig.core.LoadConfigurationAction();
            } else {
                rig.core.ApplySetup([](Configuration &config) {
                    config.routers.set(0, ActionPathRig::makeRouter(0, 8));
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

TEST(ActionPathTest, TheSetupKeepsWhatTheRoutersReportedWhileItWasOpen)
{
    ActionPathRig rig;
    ASSERT_TRUE(rig.opened);
    // The dialog's copy was taken before the router reported input 9 on output 2.
    RouterTable edited = rig.core.config().routers;
    rig.core.config().routers.at(0)->RouteState(2)->SetVideo(9);
    rig.core.ApplySetup([edited](Configuration &config) {
        RouterTable accepted = edited;
        accepted.AdoptRouteStates(config.routers);
        config.routers = std::move(accepted);
    });
    EXPECT_EQ(rig.core.config().routers.at(0)->RouteState(2)->Video(), 9);
}

TEST(ActionPathTest, WaitingActionsAreDroppedWithOneMessageWhenTheLineIsGone)
{
    ActionPathRig rig;
    ASSERT_TRUE(rig.opened);
    rig.routeWhileSilent([&rig] {
        for (int click = 1; click <= 5; ++click)
            rig.core.RouteCell(click);
        rig.line.close();
    });
    EXPECT_EQ(rig.errorLines.count("The line is gone: 5 waiting actions cancelled"), 1);
    EXPECT_EQ(rig.core.actions().Waiting(), 0);
}

} // namespace

// A locked output is never routed by anyone but its holder: a click says who holds it, a
// route to every output skips it and names it at the end, the holder itself gets through.
TEST(ActionPathTest, LockedOutputsAreRefusedOrSkippedAndSaidSo)
{
    ActionPathRig rig;
    ASSERT_TRUE(rig.opened);
    constexpr int kPanel = 2;
    rig.core.locks().lock(3, kPanel);
    rig.core.locks().lock(5, kPanel);

    rig.core.RouteCell(3 * 16 + 3); // input 3 to output 3
    rig.core.RouteInputToAll(7);
    rig.core.RunOnLine("Network route", [&rig] {
        EXPECT_TRUE(rig.core.RouteAt(0, 5, 1, AppCore::kAllLevels, kPanel));
    });
    ASSERT_TRUE(waitFor([&rig] { return rig.core.actions().Idle() && !rig.core.link().CommBusy(); }));

    QList<QByteArray> expected;
    for (int o = 0; o < kOutputs; ++o)
        if (o != 3 && o != 5)
            expected << ActionPathRig::route(o, 7);
    expected << ActionPathRig::route(5, 1);
    EXPECT_EQ(rig.distinctFrames(), expected);
    EXPECT_TRUE(rig.errorLines.contains("Output 4 is locked by network panel 2"));
    EXPECT_TRUE(rig.errorLines.contains("Locked outputs skipped: 4, 6"));
    EXPECT_EQ(rig.platform.beeps, 1);
    EXPECT_EQ(rig.core.config().routers.at(0)->RouteState(3)->Video(), -1);
}

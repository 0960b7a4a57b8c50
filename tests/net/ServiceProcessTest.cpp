// The real program without a window, stopped by a signal while a panel's routes wait for the
// line: it ends cleanly, sends nothing twice, and keeps the names a panel gave.
#include "../link/CoreRig.h"
#include "../link/LinkRig.h"
#include "PanelClient.h"

#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>

using namespace corvantis;
using namespace corvantis::test;
using namespace std::chrono_literals;

namespace {

constexpr int kRoutes = 40;

class ServiceProcessTest : public ::testing::TestWithParam<int> {};

TEST_P(ServiceProcessTest, ASignalWhileRoutesWaitEndsTheProgramAndKeepsItsNames)
{
    CoreRig rig({16}, false);
    ASSERT_TRUE(rig.opened);
    rig.line.setPacing(true); // 9600 baud, so the routes take real time
    // Generous: a resend here would be the line's lateness, not the program's fault.
    rig.core.settings().RouterTimeout = 1.0f;
    rig.core.settings().CommandGap = Settings::kDefaultCommandGap;
    std::string path = rig.dataDir.filePath("line.rcf").toStdString();
    ConfigSave(path, true, rig.core.config());

    const quint16 port = freeLoopbackPort();
    ASSERT_NE(port, 0);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_DATA_HOME", rig.dataDir.path());
    environment.insert("XDG_CONFIG_HOME", rig.dataDir.path());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(CORVANTIS_PROGRAM),
                  {"--headless", "--config", QString::fromStdString(path), "--listen",
                   QStringLiteral("127.0.0.1:%1").arg(port)});
    ASSERT_TRUE(program.waitForStarted());

    // Until the program listens; bounded.
    PanelClient panel;
    bool opened = false;
    for (int attempt = 0; attempt < 100 && !opened && program.state() == QProcess::Running;
         ++attempt) {
        opened = panel.open(port);
        if (!opened)
            waitFor([] { return false; }, 50ms);
    }
    ASSERT_TRUE(opened) << program.readAllStandardError().toStdString();

    panel.send("INPUT LABELS:\n2 Camera\n\n");
    ASSERT_TRUE(panel.waitFor([&] { return panel.inputLabels.value(2) == "Camera"; }));

    QByteArray block = "VIDEO OUTPUT ROUTING:\n";
    QList<QByteArray> frames;
    for (int k = 0; k < kRoutes; ++k) {
        // Each output again with another input, so every frame is a different one.
        const int output = k % 16;
        const int input = (output + 1 + k / 16 * 5) % 16;
        block += QByteArray::number(output) + ' ' + QByteArray::number(input) + '\n';
        frames << CoreRig::route(output, input);
    }
    // A name accepted behind the routes is kept, though the routes are not finished.
    panel.send(block + "\nINPUT LABELS:\n5 Late\n\n");
    ASSERT_TRUE(panel.waitFor([&] { return panel.acks == 3; }));
    ASSERT_TRUE(waitFor([&] { return rig.line.receivedFrames().contains(frames.front()); }));
    ASSERT_EQ(::kill(program.processId(), GetParam()), 0);

    // A hang guard only; how fast it ends is measured in bench/.
    ASSERT_TRUE(waitFor([&] { return program.state() == QProcess::NotRunning; }, 15s));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_FALSE(errors.contains(QStringLiteral("No reply from the router")))
        << errors.toStdString();
    EXPECT_EQ(errors.split('\n').filter(QStringLiteral("cancelled")).size(), 1)
        << errors.toStdString();

    // What the program wrote before it closed the port still reaches the line.
    waitFor([&] { return !rig.line.isAttached(); });
    const QList<QByteArray> received = rig.line.receivedFrames();
    int routed = 0;
    for (const QByteArray &frame : frames) {
        EXPECT_LE(received.count(frame), 1) << frame.toHex().toStdString();
        routed += received.contains(frame) ? 1 : 0;
    }
    // The routes still waiting were dropped, not sent before the end.
    EXPECT_LT(routed, kRoutes);

    Configuration saved;
    ConfigLoad(path, false, saved);
    ASSERT_NE(saved.routers.at(0), nullptr);
    EXPECT_EQ(saved.routers.at(0)->RouterInName(2), "Camera");
    EXPECT_EQ(saved.routers.at(0)->RouterInName(5), "Late");
    EXPECT_TRUE(rig.platform.unexpected.empty());
}

INSTANTIATE_TEST_SUITE_P(Signals, ServiceProcessTest, ::testing::Values(SIGTERM, SIGINT),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return std::string(info.param == SIGTERM ? "SIGTERM" : "SIGINT");
                         });

} // namespace

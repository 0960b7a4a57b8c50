#include "LinkRig.h"
#include "Ser2netServer.h"
#include "link/AddressProbe.h"
#include "link/EdidTransfer.h"
#include "link/Framing.h"

#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>
#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

enum class Mode { Raw, Rfc2217 };

// The virtual line on a pseudo-terminal, ser2net in front of it on 127.0.0.1, and the
// program's link connected through ser2net.
struct ServedRig {
    ServedRig(const RigOptions &options, Mode mode)
        : rig(options), lineOpen(rig.openLine()), server(rig.line.devicePath())
    {
        if (!lineOpen || !server.start())
            return;
        address = mode == Mode::Raw ? server.rawAddress() : server.telnetAddress();
        rig.link.setPortOverride(address);
        // ser2net opens the device only when a client comes; the line hears it a moment later.
        ready = !finish(rig.link.OpenCommPort()) && rig.link.isOpen() &&
                waitFor([this] { return rig.line.isAttached(); });
    }

    LinkRig rig;
    bool lineOpen;
    Ser2netServer server;
    QString address;
    bool ready = false;
};

class ThroughSer2net : public ::testing::TestWithParam<Mode> {};

TEST_P(ThroughSer2net, EdidWithAllOnesBytesArrivesByteExact)
{
    ServedRig served({.commType = kTypeB, .routerTimeout = 0.5f}, GetParam());
    ASSERT_TRUE(served.ready) << served.server.error().toStdString();
    auto &rig = served.rig;
    const QByteArray edid = sampleEdid();
    EdidTransfer transfer(rig.config.settings, rig.link);

    EXPECT_TRUE(
        finish(transfer.Run(0, rig.writeFile("monitor.bin", edid), QStringLiteral("COM1"))));

    EXPECT_EQ(rig.line.edid(0), edid);
    EXPECT_EQ(rig.line.bytesDiscarded(), 0);
}

TEST_P(ThroughSer2net, ServerStoppedDuringAWaitIsReportedOnceAndTheNextRouteReconnects)
{
    ServedRig served({.commType = kTypeA, .routerTimeout = 1.0f}, GetParam());
    ASSERT_TRUE(served.ready) << served.server.error().toStdString();
    auto &rig = served.rig;
    rig.line.setSilent(true);
    QTimer::singleShot(100, &rig.link, [&] { served.server.stop(); });

    EXPECT_EQ(finish(rig.link.SendCommand(0, CmdRoute, 4, 2, true)), SerialLink::kPortUnavailable);
    // The wait ended with the connection, not after five time-outs.
    EXPECT_EQ(rig.link.transmissions(), 1u);
    EXPECT_FALSE(rig.link.isOpen());
    // Nothing keeps reporting the loss.
    finish(rig.link.Delay(std::chrono::milliseconds(300)));
    ASSERT_EQ(rig.errorLines.size(), 1);
    EXPECT_TRUE(rig.errorLines[0].startsWith("Port " + served.address + " is unavailable"))
        << rig.errorLines[0].toStdString();

    rig.line.setSilent(false);
    ASSERT_TRUE(served.server.start()) << served.server.error().toStdString();
    EXPECT_EQ(finish(rig.link.SendCommand(0, CmdRoute, 5, 3, true)), 6);
    EXPECT_EQ(rig.line.crosspoint(0, 5), 3);
}

INSTANTIATE_TEST_SUITE_P(BothServerModes, ThroughSer2net,
                         ::testing::Values(Mode::Raw, Mode::Rfc2217),
                         [](const auto &info) -> std::string {
                             return info.param == Mode::Raw ? "Raw" : "Rfc2217";
                         });

TEST(VirtualLineOnTcp, CommandDuringAConnectWaitsForItAndGoesOutOnTheOpenedLine)
{
    // The raw listener never answers the Telnet negotiation, so connecting takes its full bound.
    LinkRig rig({.commType = kTypeA});
    ASSERT_TRUE(rig.line.listen(QHostAddress::LocalHost, 0))
        << rig.line.errorString().toStdString();
    rig.link.setPortOverride(QStringLiteral("rfc2217://127.0.0.1:%1").arg(rig.line.listenPort()));
    int inner = 0;
    QTimer::singleShot(100, &rig.link,
                       [&] { inner = finish(rig.link.SendCommand(0, CmdRoute, 1, 1, true)); });

    EXPECT_FALSE(finish(rig.link.OpenCommPort()));

    ASSERT_TRUE(waitFor([&] { return inner != 0; }));
    EXPECT_EQ(inner, 6);
    ASSERT_TRUE(rig.link.isOpen());
    EXPECT_EQ(finish(rig.link.SendCommand(0, CmdRoute, 4, 2, true)), 6);
}

// At 9600 baud the status reply of two routers trickles in over many TCP reads; it is read as
// one reply all the same.
TEST(VirtualLineOnTcp, AStatusReplySplitOverManyReadsIsReadWhole)
{
    LinkRig rig({.commType = kTypeB, .routers = {RigRouter{0}, RigRouter{1}}});
    ASSERT_TRUE(rig.line.listen(QHostAddress::LocalHost, 0));
    rig.link.setPortOverride(QStringLiteral("socket://127.0.0.1:%1").arg(rig.line.listenPort()));
    ASSERT_FALSE(finish(rig.link.OpenCommPort()));
    ASSERT_TRUE(waitFor([&] { return rig.line.isAttached(); }));
    QSignalSpy reports(&rig.link, &SerialLink::routerReported);
    ASSERT_TRUE(rig.line.frontPanelRoute(1, 6, 2));
    ASSERT_TRUE(waitFor([&] { return reports.count() == 1; }));

    ASSERT_EQ(finish(rig.link.SendCommand(0, CmdStatus, 15, 15, false)), 0);
    ASSERT_EQ(rig.link.StatusBuffer().size(), 32);
    rig.engine.ReceiveStatusUpdate();
    EXPECT_EQ(rig.router(1).RouteState(6)->Video(), 2);
}

// The setup dialog's probe: a device exists or not, a device server answers or not, and only
// the latest probe reports.
TEST(AddressProbe, SaysWhetherTheAddressAnswers)
{
    QTcpServer open;
    ASSERT_TRUE(open.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = freeLoopbackPort();
    const struct {
        QString address;
        bool answers;
    } cases[] = {
        {QStringLiteral("/dev/null"), true},
        {QStringLiteral("/dev/no-such-device"), false},
        {QStringLiteral("socket://127.0.0.1:%1").arg(open.serverPort()), true},
        {QStringLiteral("rfc2217://127.0.0.1:%1").arg(closedPort), false},
    };
    // The first probe of each pair must not report: the second replaces it.
    const auto first = PortAddress::Parse(cases[2].address, {});
    for (const auto &c : cases) {
        AddressProbe probe;
        QList<bool> reports;
        QObject::connect(&probe, &AddressProbe::finished,
                         [&reports](bool answers, const QString &) { reports << answers; });
        const auto address = PortAddress::Parse(c.address, {});
        ASSERT_TRUE(first && address);
        probe.probe(*first);
        probe.probe(*address);
        EXPECT_TRUE(waitFor([&] { return !reports.isEmpty(); })) << c.address.toStdString();
        waitFor([&] { return reports.size() > 1; }, std::chrono::milliseconds(100));
        EXPECT_EQ(reports, QList<bool>{c.answers}) << c.address.toStdString();
    }
}

} // namespace
} // namespace corvantis::test

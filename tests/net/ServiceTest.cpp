// The panel server over the real application core, the link and the virtual line: what a
// panel asks for goes out on the wire, and what the panel is told is what the routers took.
#include "../link/CoreRig.h"
#include "PanelClient.h"
#include "Swp08Controller.h"
#include "service/HeadlessService.h"

#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/socket.h>

using namespace corvantis;
using namespace corvantis::test;

namespace {

// The core starts from a saved file, as the headless program does; beside the window the
// service only listens.
struct ServiceRig : CoreRig {
    explicit ServiceRig(bool headless = true) : CoreRig({16}, false), headless(headless)
    {
        ConfigSave(path, true, core.config());
        started = opened && (!headless || service.start(QString::fromStdString(path))) &&
                  service.listen(QStringLiteral("127.0.0.1"), 0);
    }
    // Beside the window it is the window that stops and saves.
    ~ServiceRig()
    {
        if (headless)
            service.stop();
    }

    const bool headless;
    std::string path = dataDir.filePath("line.rcf").toStdString();
    HeadlessService service{core};
    bool started = false;
};

// A binary-protocol controller beside the panels hears the same.
TEST(ServiceTest, ARouteFromAPanelGoesOnTheWireAndEveryPanelSeesOnlyWhatWasAccepted)
{
    ServiceRig rig;
    ASSERT_TRUE(rig.started);
    ASSERT_TRUE(rig.service.listenSwp08(QStringLiteral("127.0.0.1"), 0));
    PanelClient first;
    PanelClient second;
    Swp08Controller controller;
    ASSERT_TRUE(first.open(rig.service.server().serverPort()));
    ASSERT_TRUE(second.open(rig.service.server().serverPort()));
    ASSERT_TRUE(controller.open(rig.service.swp08Server().serverPort()));
    EXPECT_EQ(first.outputLabels.size(), 16);
    EXPECT_TRUE(
        first.received.contains("Model name: Palomir 16x16\nFriendly name: Palomir 16x16\n"));

    first.send("VIDEO OUTPUT ROUTING:\n3 5\n\n");
    ASSERT_TRUE(second.waitFor([&] { return second.routing.value(3, -1) == 5; }));
    EXPECT_EQ(first.acks, 1);
    EXPECT_EQ(rig.line.crosspoint(0, 3), 5);
    ASSERT_TRUE(controller.waitForMessages(2));
    EXPECT_EQ(controller.messages[0], (swp08::Bytes{0x04, 0x00, 0x00, 0x03, 0x05}));

    // A panel and the controller route the same output at once: both end with what the
    // router took last.
    first.send("VIDEO OUTPUT ROUTING:\n3 7\n\n");
    controller.send({0x02, 0x00, 0x00, 0x03, 0x09});
    ASSERT_TRUE(controller.waitFor([&] { return controller.acks == 1; }) && rig.settle());
    const int held = rig.line.crosspoint(0, 3);
    EXPECT_TRUE(held == 7 || held == 9) << held;
    const auto controllerHeard = [&] {
        const auto last = std::ranges::find_if(
            controller.messages.rbegin(), controller.messages.rend(),
            [](const auto &m) { return m[0] == 0x04 && m[1] == 0 && m[3] == 3; });
        return last == controller.messages.rend() ? -1 : int((*last)[4]);
    };
    EXPECT_TRUE(controller.waitFor([&] { return controllerHeard() == held; }));
    EXPECT_TRUE(first.waitFor([&] { return first.routing.value(3) == held; }));
    EXPECT_TRUE(second.waitFor([&] { return second.routing.value(3) == held; }));

    // Five transmissions go unanswered; the router may have switched without a word, so the
    // panel is told again only what was confirmed.
    rig.line.setSilent(true);
    const int updatesBefore = first.received.count("VIDEO OUTPUT ROUTING:");
    first.send("VIDEO OUTPUT ROUTING:\n3 9\n\n");
    ASSERT_TRUE(first.waitFor(
        [&] { return first.received.count("VIDEO OUTPUT ROUTING:") > updatesBefore; }));
    EXPECT_EQ(first.acks, 3);
    EXPECT_EQ(first.routing.value(3), held);

    // The window's lock reaches the controller unasked, as someone else's protect.
    rig.core.LockOutput(6);
    EXPECT_TRUE(controller.waitFor([&] {
        return std::ranges::count(controller.messages,
                                  swp08::Bytes{0x0D, 0x00, 0x02, 0x00, 0x06, 0x00}) == 1;
    }));
}

// The headless service saves a panel's names; beside the window (with or without a file) they
// are kept as typed ones are, until the window saves, and nothing is asked. A line break in a
// name is refused, and a name another input has gets its mark.
TEST(ServiceTest, NamesFromAPanelAreSavedOnlyWithoutTheWindowAndALineBreakIsRefused)
{
    enum Mode { Headless, BesideWithFile, BesideWithoutFile };
    for (const Mode mode : {Headless, BesideWithFile, BesideWithoutFile}) {
        SCOPED_TRACE(mode);
        ServiceRig rig(mode == Headless);
        ASSERT_TRUE(rig.started);
        if (mode == BesideWithoutFile)
            rig.core.settings().ConfigFilePath.clear();
        const std::string before = ConfigText(rig.core.config());
        PanelClient panel;
        ASSERT_TRUE(panel.open(rig.service.server().serverPort()));
        panel.send("INPUT LABELS:\n1 Camera 2\rPort Address: socket://192.0.2.66:4000\n\n");
        panel.send("INPUT LABELS:\n2 Camera\n3 Camera\n\n");
        ASSERT_TRUE(panel.waitFor([&] { return panel.inputLabels.value(3) == "Camera!"; }));
        EXPECT_EQ(panel.naks, 1);
        EXPECT_TRUE(rig.platform.unexpected.empty());
        if (mode != Headless) {
            QFile file(QString::fromStdString(rig.path));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll().toStdString(), before);
            continue;
        }
        Configuration saved;
        ConfigLoad(rig.path, false, saved);
        ASSERT_NE(saved.routers.at(0), nullptr);
        EXPECT_EQ(saved.routers.at(0)->RouterInName(1), clsRouter::DefaultInName(1));
        EXPECT_EQ(saved.routers.at(0)->RouterInName(3), "Camera!");
        EXPECT_EQ(saved.settings.CommPortAddress, "");
    }
}

QByteArray routeBlock(int output, int input)
{
    return QStringLiteral("VIDEO OUTPUT ROUTING:\n%1 %2\n\n").arg(output).arg(input).toUtf8();
}

// The routing a panel holds is the line's, output by output.
QMap<int, int> lineRouting(const CoreRig &rig)
{
    QMap<int, int> routing;
    for (int o = 0; o < 16; ++o)
        if (rig.line.crosspoint(0, o) >= 0)
            routing[o] = rig.line.crosspoint(0, o);
    return routing;
}

// Every answer comes as the block is read, not after the routes before it: sixteen routes and
// more renames than may wait, in one write, are all answered while the first route still waits
// for a silent router. Each beyond the limit is refused, and every one accepted is done.
TEST(ServiceTest, AFullWriteIsAnsweredWhileTheFirstRouteWaitsAndBeyondTheQueueRefused)
{
    ServiceRig rig;
    ASSERT_TRUE(rig.started);
    PanelClient panel;
    ASSERT_TRUE(panel.open(rig.service.server().serverPort()) && rig.settle());
    rig.line.setSilent(true);
    QByteArray burst;
    for (int o = 0; o < 16; ++o)
        burst += routeBlock(o, 15 - o);
    for (int n = 0; n < 300; ++n)
        burst += QStringLiteral("INPUT LABELS:\n%1 Name %2\n\n").arg(n % 16).arg(n).toUtf8();
    panel.send(burst);
    ASSERT_TRUE(panel.waitFor([&] { return panel.acks + panel.naks == 316; }));
    EXPECT_EQ(panel.naks, 316 - 1 - ActionQueue::kMaxWaiting);
    for (int o = 1; o < 16; ++o)
        EXPECT_FALSE(rig.line.receivedFrames().contains(CoreRig::route(o, 15 - o))) << o;

    rig.line.setSilent(false);
    ASSERT_TRUE(rig.settle());
    EXPECT_TRUE(panel.waitFor([&] { return panel.routing == lineRouting(rig); }));
    // The last accepted rename of each input is the one kept.
    const int lastAccepted = ActionQueue::kMaxWaiting - 16;
    EXPECT_EQ(rig.name(AppCore::Side::Input, lastAccepted % 16 + 1),
              "Name " + std::to_string(lastAccepted));
}

// Routes that waited when the line went away are cancelled; their clients hear what holds.
TEST(ServiceTest, RoutesCancelledByALostLineEndWithTheRoutingThatHolds)
{
    ServiceRig rig;
    ASSERT_TRUE(rig.started);
    PanelClient panel;
    ASSERT_TRUE(panel.open(rig.service.server().serverPort()));
    panel.send(routeBlock(4, 4) + routeBlock(5, 5));
    ASSERT_TRUE(panel.waitFor([&] { return panel.routing.value(5) == 5; }));
    rig.line.setSilent(true);
    panel.send(routeBlock(3, 1) + routeBlock(4, 9) + routeBlock(5, 9));
    ASSERT_TRUE(panel.waitFor([&] { return panel.acks == 5; }));
    const qsizetype before = panel.received.size();
    rig.line.close();
    const auto toldAgain = [&] {
        const QByteArray after = panel.received.mid(before);
        return after.contains("VIDEO OUTPUT ROUTING:\n") && after.contains("\n4 4\n") &&
               after.contains("\n5 5\n");
    };
    EXPECT_TRUE(panel.waitFor(toldAgain));
    EXPECT_EQ(rig.errorLines.count("The line is gone: 2 waiting actions cancelled"), 1);
    EXPECT_EQ(rig.core.actions().Waiting(), 0);
    EXPECT_EQ(panel.routing, (QMap<int, int>{{4, 4}, {5, 5}}));
}

// Clients that burst and leave mid-route or half-close: the service lives and every client that
// stayed holds the routing the routers hold. One that stops reading, and the locks of one that
// leaves, are the panel server test's.
TEST(ServiceTest, HostileClientsLeaveTheServiceAliveAndTheTruthShared)
{
    ServiceRig rig;
    ASSERT_TRUE(rig.started);
    const quint16 port = rig.service.server().serverPort();
    PanelClient steady;
    ASSERT_TRUE(steady.open(port));

    std::vector<std::unique_ptr<PanelClient>> leavers;
    for (int round = 0; round < 6; ++round) {
        auto client = std::make_unique<PanelClient>();
        ASSERT_TRUE(client->open(port));
        QByteArray burst;
        for (int o = 0; o < 16; ++o)
            burst += routeBlock((o + round) % 16, (o * 3 + round) % 16);
        client->send(burst);
        ASSERT_TRUE(client->socket().waitForBytesWritten(2000));
        if (round % 3 == 0)
            client->socket().abort();
        else if (round % 3 == 1)
            ::shutdown(int(client->socket().socketDescriptor()), SHUT_WR);
        leavers.push_back(std::move(client));
    }
    ASSERT_TRUE(rig.settle());

    PanelClient late;
    ASSERT_TRUE(late.open(port));
    EXPECT_TRUE(steady.waitFor([&] { return steady.routing == lineRouting(rig); }));
    EXPECT_EQ(late.routing, lineRouting(rig));
    EXPECT_EQ(steady.naks, 0);
}

} // namespace

#include "net/PanelServer.h"

#include "PanelClient.h"
#include "ServerRig.h"

#include <QRandomGenerator>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>

namespace corvantis::test {
namespace {

using PanelServerRig = ServerRig<PanelServer, PanelClient>;

const QByteArray kNormalPrelude = "PROTOCOL PREAMBLE:\nVersion: 2.8\n\n"
                                  "VIDEOHUB DEVICE:\nDevice present: true\n"
                                  "Model name: Corvantis 2 routers\nFriendly name: Studio A\n"
                                  "Unique ID: C0A800000001\nVideo inputs: 6\n"
                                  "Video processing units: 0\nVideo outputs: 4\n"
                                  "Video monitoring outputs: 0\nSerial ports: 0\n\n"
                                  "INPUT LABELS:\n0 Cam 1\n1 Cam 2\n2 Cam 3\n3 -\n4 -\n5 Tape\n\n"
                                  "OUTPUT LABELS:\n0 Mon 1\n1 Mon 2\n2 -\n3 Rec\n\n"
                                  "VIDEO OUTPUT LOCKS:\n0 U\n1 L\n2 U\n3 U\n\n"
                                  "VIDEO OUTPUT ROUTING:\n0 2\n3 5\n\n"
                                  "END PRELUDE:\n\n";
TEST(PanelServer, routesAndLocksReachEveryClientAndALockStopsTheOthersRoutes)
{
    PanelServerRig rig(FakeMatrixControl::squareLayout(4));
    auto a = rig.client();
    auto b = rig.client();
    const qsizetype preludeSize = a->received.size();
    a->send("VIDEO OUTPUT ROUTING:\n1 2\n\n");
    ASSERT_TRUE(b->waitFor([&] { return b->routing[1] == 2 && a->routing[1] == 2; }));
    EXPECT_EQ(a->received.mid(preludeSize), "ACK\n\nVIDEO OUTPUT ROUTING:\n1 2\n\n");
    EXPECT_EQ(b->received.mid(preludeSize), "VIDEO OUTPUT ROUTING:\n1 2\n\n");

    // Changes from elsewhere in one turn of the event loop arrive as one block.
    rig.matrix.reportRoute(0, 1);
    rig.matrix.reportRoute(1, 3);
    ASSERT_TRUE(b->waitFor([&] { return b->routing[1] == 3; }));
    EXPECT_TRUE(b->received.endsWith("\n\nVIDEO OUTPUT ROUTING:\n0 1\n1 3\n\n"));

    // A lock shows as its holder's own to it and as someone else's to the others.
    a->send("VIDEO OUTPUT LOCKS:\n1 O\n\n");
    ASSERT_TRUE(b->waitFor([&] { return b->locks[1] == "L" && a->locks[1] == "O"; }));

    b->send("VIDEO OUTPUT ROUTING:\n1 2\n\nVIDEO OUTPUT LOCKS:\n1 U\n\n");
    a->send("VIDEO OUTPUT ROUTING:\n1 0\n\n");
    ASSERT_TRUE(b->waitFor([&] { return b->routing[1] == 0; }));
    EXPECT_EQ(b->naks, 2);
    EXPECT_EQ(rig.matrix.routesRun.size(), 2);

    b->send("VIDEO OUTPUT LOCKS:\n1 F\n\n");
    ASSERT_TRUE(a->waitFor([&] { return a->locks[1] == "U"; }));
    a->send("VIDEO OUTPUT LOCKS:\n0 O\n\n");
    ASSERT_TRUE(b->waitFor([&] { return b->locks[0] == "L"; }));
    // A client's locks end with it.
    a->socket().abort();
    EXPECT_TRUE(b->waitFor([&] { return b->locks[0] == "U"; }));
    EXPECT_EQ(rig.locks.holder(0), OutputLocks::kNobody);
}

TEST(PanelServer, refusedRequestsAreNakedAndRunNothing)
{
    PanelServerRig rig(FakeMatrixControl::normalLayout());
    rig.locks.lock(0, OutputLocks::kThisComputer);
    auto a = rig.client();
    const QByteArray refused[] = {
        "VIDEO OUTPUT ROUTING:\n1 x\n\n",      // malformed
        "FRAME BUFFER ROUTING:\n1 1\n\n",      // unknown block
        "VIDEO OUTPUT ROUTING:\n4 1\n\n",      // output that does not exist
        "VIDEO OUTPUT ROUTING:\n1 6\n\n",      // input that does not exist
        "VIDEO OUTPUT ROUTING:\n2 1\n\n",      // output no router owns
        "VIDEO OUTPUT ROUTING:\n1 4\n\n",      // input no router owns
        "VIDEO OUTPUT ROUTING:\n1 1\n0 1\n\n", // one output locked by the window
        "VIDEO OUTPUT LOCKS:\n2 O\n\n",        // lock on an unowned output
        "VIDEO OUTPUT LOCKS:\n0 U\n\n",        // someone else's lock
        "INPUT LABELS:\n3 Spare\n\n",          // name for an unowned input
        "OUTPUT LABELS:\n4 Spare\n\n",         // name for a missing output
    };
    for (const QByteArray &request : refused)
        a->send(request);
    a->send("PING:\n\n");
    ASSERT_TRUE(a->waitFor([&] { return a->acks + a->naks > int(std::size(refused)); }));
    EXPECT_EQ(a->naks, int(std::size(refused)));
    EXPECT_EQ(a->acks, 1);
    EXPECT_TRUE(a->received.endsWith("NAK\n\nACK\n\n"));
    EXPECT_TRUE(rig.matrix.routesRun.isEmpty());
}

// A refused name is the service test's: the names' rule is the core's.
TEST(PanelServer, labelsAreSharedAndAnsweredToAQuery)
{
    PanelServerRig rig(FakeMatrixControl::normalLayout());
    auto a = rig.client();
    auto b = rig.client();
    a->send("INPUT LABELS:\n1 Cam 1\n\nOUTPUT LABELS:\n3 Record deck\n\n");
    ASSERT_TRUE(a->waitFor([&] { return a->acks == 2; }));
    ASSERT_TRUE(b->waitFor([&] { return b->outputLabels[3] == "Record deck"; }));
    EXPECT_EQ(b->inputLabels[1], "Cam 1");
    a->send("INPUT LABELS:\n\n");
    EXPECT_TRUE(a->waitFor([&] {
        return a->received.endsWith(
            "ACK\n\nINPUT LABELS:\n0 Cam 1\n1 Cam 1\n2 Cam 3\n3 -\n4 -\n5 Tape\n\n");
    }));
}

// A client of the old configuration is closed; the next one hears every number of the new one.
TEST(PanelServer, aReplacedConfigurationClosesTheClientsAndTheNextHearsEveryNumber)
{
    PanelServerRig rig(FakeMatrixControl::squareLayout(4));
    auto a = rig.client();
    rig.matrix.replaceDevice(FakeMatrixControl::normalLayout());
    ASSERT_TRUE(a->waitFor([&] { return !a->connected(); }));
    // The window's lock shows as someone else's.
    rig.locks.lock(1, OutputLocks::kThisComputer);
    EXPECT_EQ(rig.client()->received.toStdString(), kNormalPrelude.toStdString());
}

// Bad and hostile clients: each is dealt with while a good client is served at once. The client
// limit and a client that stops reading are every server's, tested there.
TEST(PanelServer, hostileClientsAreDroppedWhileOthersAreServed)
{
    PanelServerRig rig(FakeMatrixControl::squareLayout(16));
    auto good = rig.client();
    int routes = 0;
    const auto goodRouteWorks = [&] {
        ++routes;
        good->send(QStringLiteral("VIDEO OUTPUT ROUTING:\n5 %1\n\n").arg(routes).toUtf8());
        return good->waitFor([&] { return good->routing[5] == routes; }, 2000);
    };

    auto flood = rig.client();
    QByteArray noise(10 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator random(14);
    random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    flood->send(noise);
    EXPECT_TRUE(goodRouteWorks());
    EXPECT_TRUE(flood->waitFor([&] { return !flood->connected(); }, 20000));

    // Half a block, then silence; and a client that stops sending and waits for its answer.
    auto silent = rig.client();
    silent->send("VIDEO OUTPUT ROUTING:\n3");
    auto halfClosed = rig.client();
    halfClosed->send("VIDEO OUTPUT ROUTING:\n\n");
    ASSERT_TRUE(halfClosed->socket().waitForBytesWritten(2000));
    ::shutdown(int(halfClosed->socket().socketDescriptor()), SHUT_WR);
    EXPECT_TRUE(
        halfClosed->waitFor([&] { return halfClosed->acks == 1 && !halfClosed->connected(); }));
    EXPECT_TRUE(goodRouteWorks());
}

} // namespace
} // namespace corvantis::test

// What every control server shares, through each protocol in turn: the client limit, the bound
// on what a client leaves unread, and one lock owner id space for the clients of all servers.
#include "PanelClient.h"
#include "ServerRig.h"
#include "Swp08Controller.h"
#include "net/PanelServer.h"
#include "net/Swp08Server.h"

#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace corvantis::test {
namespace {

QByteArray framed(const swp08::Bytes &data)
{
    const swp08::Bytes bytes = swp08::EncodeMessage(data);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

struct Protocol {
    const char *name;
    std::function<std::unique_ptr<ControlServer>(MatrixControl &, OutputLocks &)> make;
    QByteArray greeting; // how what a client is sent on connecting ends
    QByteArray ping;     // answered at once with pong
    QByteArray pong;
    QByteArray heavy; // answered with a few KiB
};

std::vector<Protocol> protocols()
{
    return {
        {"text",
         [](MatrixControl &m, OutputLocks &l) { return std::make_unique<PanelServer>(m, l); },
         "END PRELUDE:\n\n", "PING:\n\n", "ACK\n\n", "INPUT LABELS:\n\nOUTPUT LABELS:\n\n"},
        {"SW-P-08",
         [](MatrixControl &m, OutputLocks &l) { return std::make_unique<Swp08Server>(m, l); },
         {},
         framed({0x01, 0x00, 0x00, 0x05}),
         "\x10\x06" + framed({0x03, 0x00, 0x00, 0x05, 0x05}),
         framed({0x64, 0x00, 0x03})},
    };
}

struct RawClient {
    explicit RawClient(quint16 port) { socket.connectToHost(QHostAddress::LocalHost, port); }
    bool waitFor(const std::function<bool()> &condition)
    {
        return QTest::qWaitFor([&] {
            received += socket.readAll();
            return condition();
        });
    }
    QTcpSocket socket;
    QByteArray received;
};

TEST(ControlServer, EveryServerHoldsItsClientLimitAndDropsAClientThatStopsReading)
{
    for (const Protocol &protocol : protocols()) {
        SCOPED_TRACE(protocol.name);
        FakeMatrixControl matrix(FakeMatrixControl::squareLayout(128));
        OutputLocks locks;
        QStringList reasons;
        const auto server = protocol.make(matrix, locks);
        ASSERT_TRUE(server->listen(QHostAddress::LocalHost, 0));
        const quint16 port = server->serverPort();
        QObject::connect(server.get(), &ControlServer::clientClosed,
                         [&](int, const QString &reason) { reasons.append(reason); });
        const auto answers = [&](RawClient &client) {
            client.received.clear();
            client.socket.write(protocol.ping);
            return client.waitFor([&] { return client.received.endsWith(protocol.pong); });
        };

        std::vector<std::unique_ptr<RawClient>> crowd;
        while (server->clientCount() < ControlServer::kMaxClients) {
            auto client = std::make_unique<RawClient>(port);
            const int expected = server->clientCount() + 1;
            ASSERT_TRUE(client->waitFor([&] {
                return server->clientCount() == expected &&
                       client->received.endsWith(protocol.greeting);
            }));
            crowd.push_back(std::move(client));
        }
        RawClient refused(port);
        EXPECT_TRUE(refused.waitFor(
            [&] { return refused.socket.state() == QAbstractSocket::UnconnectedState; }));
        EXPECT_TRUE(refused.received.isEmpty());
        EXPECT_EQ(server->clientCount(), ControlServer::kMaxClients);
        EXPECT_TRUE(answers(*crowd.front()));

        crowd.pop_back();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return server->clientCount() < ControlServer::kMaxClients; }));
        RawClient deaf(port);
        deaf.socket.setReadBufferSize(1);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return server->clientCount() == ControlServer::kMaxClients; }));
        reasons.clear();
        const QByteArray flood = protocol.heavy.repeated(100);
        for (int n = 0; n < 500 && reasons.isEmpty(); ++n) {
            deaf.socket.write(flood);
            QTest::qWait(1);
        }
        EXPECT_EQ(reasons, QStringList{QStringLiteral("more than 1 MiB waits unread")});
        EXPECT_TRUE(answers(*crowd.front()));
    }
}

// A text panel and a controller that each counted their clients from 1 would be one owner.
TEST(ControlServer, ATextPanelAndAnSwp08ControllerNeverShareALock)
{
    ServerRig<PanelServer, PanelClient> text(FakeMatrixControl::squareLayout(8));
    Swp08Server swp08(text.matrix, text.locks);
    ASSERT_TRUE(swp08.listen(QHostAddress::LocalHost, 0));
    const auto panel = text.client();
    Swp08Controller controller;
    ASSERT_TRUE(controller.open(swp08.serverPort()));

    controller.send({0x0C, 0x00, 0x00, 0x03, 0x07}); // protect 3
    panel->send("VIDEO OUTPUT LOCKS:\n4 O\n\n");
    ASSERT_TRUE(panel->waitFor([&] { return panel->locks[3] == "L" && panel->acks == 1; }));
    const int panelOwner = text.locks.holder(4);
    const int controllerOwner = text.locks.holder(3);
    EXPECT_NE(panelOwner, controllerOwner);

    panel->send("VIDEO OUTPUT LOCKS:\n3 O\n\nVIDEO OUTPUT ROUTING:\n3 1\n\n");
    controller.send({0x0C, 0x00, 0x00, 0x04, 0x07});
    controller.send({0x0E, 0x00, 0x00, 0x04, 0x07});
    ASSERT_TRUE(panel->waitFor([&] { return panel->naks == 2; }));
    ASSERT_TRUE(controller.waitFor([&] { return controller.acks == 3; }));
    EXPECT_EQ(text.locks.holder(3), controllerOwner);
    EXPECT_EQ(text.locks.holder(4), panelOwner);
    EXPECT_TRUE(text.matrix.routesRun.isEmpty());
}

} // namespace
} // namespace corvantis::test

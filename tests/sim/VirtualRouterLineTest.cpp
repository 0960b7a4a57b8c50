#include "sim/VirtualRouterLine.h"

#include "LineClient.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace corvantis;

namespace {

const QByteArray kAck(1, '\x06');

QByteArray withXor(QByteArray frame)
{
    char sum = 0;
    for (const char c : frame)
        sum = static_cast<char>(sum ^ c);
    return frame.append(sum);
}

QByteArray typeA(const char *hex)
{
    return withXor(QByteArray::fromHex(hex));
}

QByteArray typeB(const char *text)
{
    return withXor(text) + '\r';
}

} // namespace

class VirtualRouterLineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void framesForItsRoutersAreAnsweredAndNoiseIsNot();
    void statusReplyCoversEveryRouterInLogicalOrder();
    void frontPanelRouteIsReportedWithU();
    void droppedAndSilentRepliesLoseTheReplyNotTheRoute();

private:
    void useRouters(int commType, const QList<VirtualRouterLine::Router> &routers)
    {
        m_line->setCommType(commType);
        for (const auto &router : routers)
            QVERIFY(m_line->addRouter(router));
    }

    std::unique_ptr<VirtualRouterLine> m_line;
    std::unique_ptr<LineClient> m_client;
};

void VirtualRouterLineTest::init()
{
    m_line = std::make_unique<VirtualRouterLine>();
    QVERIFY2(m_line->open(), qPrintable(m_line->errorString()));
    m_client = std::make_unique<LineClient>();
    QVERIFY(m_client->open(m_line->devicePath()));
    QTRY_VERIFY_WITH_TIMEOUT(m_line->isAttached(), kWaitMs);
}

void VirtualRouterLineTest::cleanup()
{
    m_client.reset();
    m_line.reset();
}

void VirtualRouterLineTest::framesForItsRoutersAreAnsweredAndNoiseIsNot()
{
    useRouters(0, {{0, 16, 16}, {1, 8, 8}});
    // Unanswered: a port the router lacks, an empty frame address (with and without payload),
    // the other framing, a wrong checksum. Only the last frame's ACK may arrive.
    m_client->send(typeA("BEEF0100000108"));
    m_client->send(typeA("BEEF0700000101"));
    m_client->send(typeA("BEEF07"));
    m_client->send(typeB("//F00M01I01"));
    m_client->send(QByteArray::fromHex("BEEF0000000101 00"));
    QCOMPARE(m_client->exchange(typeA("BEEF0100000107"), 1), kAck);
    QCOMPARE(m_line->crosspoint(1, 7), 1);
    QCOMPARE(m_line->crosspoint(0, 1), -1);
    QCOMPARE(m_line->repliesSent(), 1);
    // A header without payload (the paired follow-up) is a whole frame.
    QCOMPARE(m_client->exchange(typeA("BEEF01"), 1), kAck);

    // Type B: the reply to a route is the frame's checksum.
    m_line->setCommType(1);
    QCOMPARE(m_client->exchange(QByteArray::fromHex("2F2F4630314D3035493033450D"), 1),
             QByteArray("E"));
    QCOMPARE(m_line->crosspoint(1, 4), 2);
}

void VirtualRouterLineTest::statusReplyCoversEveryRouterInLogicalOrder()
{
    // Outputs in frame address order, then a router placed at logical output 12.
    useRouters(1, {{2, 4, 3}, {0, 4, 4}, {1, 4, 2}, {3, 2, 2, 12}});
    m_client->send(typeB("//F00M02I04"));
    m_client->send(typeB("//F01M02I01"));
    m_client->send(typeB("//F02M01I03"));
    QCOMPARE(m_client->exchange(typeB("//F03M02I02"), 4).size(), 4);
    const QByteArray expected = QByteArray::fromHex("7F83 7F7F 7F80 827F7F 7F7F7F 7F81");
    QCOMPARE(m_client->exchange(typeB("//F00U"), expected.size()), expected);
}

void VirtualRouterLineTest::frontPanelRouteIsReportedWithU()
{
    useRouters(1, {{0, 16, 16}});
    QVERIFY(!m_line->frontPanelRoute(0, 16, 0));
    QVERIFY(!m_line->frontPanelRoute(4, 0, 0));
    // A disconnect cannot be reported: nothing arrives before the next report.
    QVERIFY(m_line->frontPanelRoute(0, 2, -1));
    QVERIFY(m_line->frontPanelRoute(0, 15, 15));
    QCOMPARE(m_client->take(3), QByteArray("U\x10\x10"));
    QCOMPARE(m_line->crosspoint(0, 2), -1);
}

void VirtualRouterLineTest::droppedAndSilentRepliesLoseTheReplyNotTheRoute()
{
    useRouters(0, {{0, 16, 16}});
    QSignalSpy frames(m_line.get(), &VirtualRouterLine::frameReceived);
    m_line->setDropPercent(100);
    m_client->send(typeA("BEEF0000000101"));
    QVERIFY(frames.wait(kWaitMs));
    m_line->setDropPercent(0);
    m_line->setSilent(true);
    m_client->send(typeA("BEEF0000000202"));
    QVERIFY(frames.wait(kWaitMs));
    m_line->setSilent(false);
    QCOMPARE(m_client->exchange(typeA("BEEF0000000303"), 1), kAck);
    QCOMPARE(m_line->crosspoint(0, 1), 1);
    QCOMPARE(m_line->crosspoint(0, 2), 2);
    QCOMPARE(m_line->repliesSent(), 1);
    QCOMPARE(m_line->repliesDropped(), 1);
}

QTEST_GUILESS_MAIN(VirtualRouterLineTest)
#include "VirtualRouterLineTest.moc"

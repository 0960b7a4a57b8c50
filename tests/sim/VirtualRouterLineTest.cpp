#include "sim/VirtualRouterLine.h"

#include "LineClient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
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
    frame.append(sum);
    return frame;
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

    void typeAFramesAreAcknowledgedAndChangeTheRouters();
    void typeBFramesAreEchoedOrAcknowledged();
    void statusReplyCoversEveryRouterInLogicalOrder();
    void brokenEdidBlockIsNotAcknowledgedAndEndsTheTransfer();
    void frontPanelRouteIsReportedWithU();
    void quietLineEndsAPartialFrame();
    void droppedSilentAndLateRepliesAreCountedNotSent();
    void dropsFollowTheSeed();
    void resendOnlyAnswersTheSecondTransmission();
    void linkIsCreatedReplacedAndRemoved();
    void configurationFileGivesRoutersAndFraming();

private:
    void useRouters(int commType, const QList<VirtualRouterLine::Router> &routers);

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

void VirtualRouterLineTest::useRouters(int commType,
                                       const QList<VirtualRouterLine::Router> &routers)
{
    m_line->setCommType(commType);
    for (const auto &router : routers)
        QVERIFY(m_line->addRouter(router));
}

void VirtualRouterLineTest::typeAFramesAreAcknowledgedAndChangeTheRouters()
{
    useRouters(0, {{0, 16, 16}, {1, 8, 8}});
    // Unanswered: a port the router lacks, an empty frame address (with and without payload),
    // a Type B frame. Only the last frame's ACK may arrive.
    m_client->send(typeA("BEEF0100000108")); // output 8 of an 8-output router
    m_client->send(typeA("BEEF0700000101"));
    m_client->send(typeA("BEEF07"));
    m_client->send(typeB("//F00M01I01"));
    QCOMPARE(m_client->exchange(typeA("BEEF0100000107"), 1), kAck);
    QCOMPARE(m_line->crosspoint(1, 7), 1);
    // A header without payload (the paired follow-up) is a whole frame.
    QCOMPARE(m_client->exchange(typeA("BEEF01"), 1), kAck);

    // Frame 0 to address 5: the router moves and keeps its crosspoints.
    QCOMPARE(m_client->exchange(typeA("BEEF0000000302"), 1), kAck);
    QCOMPARE(m_client->exchange(QByteArray::fromHex("BEEF00000E055A"), 1), kAck);
    QCOMPARE(m_line->crosspoint(5, 2), 3);
    QCOMPARE(m_line->crosspoint(0, 2), -1);
    // The new address taken by another router is refused.
    m_client->send(typeA("BEEF05000E01"));
    QCOMPARE(m_client->exchange(typeA("BEEF050004"), 3), QByteArray("205"));
    QCOMPARE(m_line->routers().size(), 2);
    QCOMPARE(m_line->framesReceived(), 10);
    QCOMPARE(m_line->repliesSent(), 5);
}

void VirtualRouterLineTest::typeBFramesAreEchoedOrAcknowledged()
{
    useRouters(1, {{0, 16, 16}, {1, 16, 16}, {2, 4, 4}});
    // Frame 1, output 4, input 2 (0-based): the reply is the frame's checksum.
    QCOMPARE(m_client->exchange(QByteArray::fromHex("2F2F4630314D3035493033450D"), 1),
             QByteArray("E"));
    QCOMPARE(m_line->crosspoint(1, 4), 2);
    QCOMPARE(m_client->exchange(QByteArray::fromHex("2F2F4630325230314930325C0D"), 1),
             QByteArray("\x5C"));
    QCOMPARE(m_client->exchange(QByteArray::fromHex("2F2F4630324430314930324A0D"), 1),
             QByteArray("\x4A"));
    QCOMPARE(m_client->exchange("//F00D\r", 1), kAck);

    // A disconnect carries no body under Type B: no router acts on it or answers. Neither do
    // routers for a port they lack or a Type A frame on a Type B line.
    m_client->send("//F01");
    m_client->send(typeB("//F02M05I01"));
    m_client->send(QByteArray::fromHex("BEEF00000455"));
    QCOMPARE(m_client->exchange(QByteArray::fromHex("2F2F46303046303505 0D"), 1),
             QByteArray("\x05"));
    QCOMPARE(m_line->crosspoint(1, 4), 2);
    QCOMPARE(m_line->routers().first().frameAddress, 1);
    QCOMPARE(m_line->routers().last().frameAddress, 5);
    QVERIFY(m_line->receivedFrames().contains("//F01"));
}

void VirtualRouterLineTest::statusReplyCoversEveryRouterInLogicalOrder()
{
    // Outputs in frame address order, then a router placed at logical output 12.
    useRouters(1, {{2, 4, 3}, {0, 4, 4}, {1, 4, 2}, {3, 2, 2, 12}});
    m_client->send(typeB("//F00M02I04"));
    m_client->send(typeB("//F01M02I01"));
    m_client->send(typeB("//F02M01I03"));
    QCOMPARE(m_client->exchange(typeB("//F03M02I02"), 4).size(), 4);
    QByteArray expected = QByteArray::fromHex("7F83 7F7F 7F80 827F7F 7F7F7F 7F81");
    QCOMPARE(m_client->exchange(QByteArray::fromHex("2F2F46303055130D"), expected.size()),
             expected);
    // No router at frame address 4: no answer, so only the next reply arrives.
    m_client->send(typeB("//F04U"));
    QCOMPARE(m_client->exchange(typeB("//F01U"), expected.size()), expected);
}

void VirtualRouterLineTest::brokenEdidBlockIsNotAcknowledgedAndEndsTheTransfer()
{
    useRouters(1, {{0, 16, 16}});
    const QByteArray block = QByteArray::fromHex("00FFFFFFFFFFFF00");
    m_client->send(QByteArray::fromHex("BEEF000001"));
    QCOMPARE(m_client->exchange(withXor(block), 1), kAck);
    QByteArray broken = withXor(block);
    broken[8] = static_cast<char>(broken[8] ^ 1);
    m_client->send(broken);
    QCOMPARE(m_client->exchange(typeB("//F00M01I01"), 1), QByteArray("B"));
    QVERIFY(m_line->edid(0).isEmpty());
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
    QCOMPARE(m_line->repliesSent(), 0);
}

void VirtualRouterLineTest::quietLineEndsAPartialFrame()
{
    // A partial frame is given up once the line has been quiet; a bare Type B header counts.
    useRouters(0, {{0, 16, 16}});
    m_line->setIdleResetMs(20);
    m_client->send("//F07");
    QTRY_COMPARE_WITH_TIMEOUT(m_line->framesReceived(), 1, kWaitMs);
    QCOMPARE(m_line->receivedFrames().last(), QByteArray("//F07"));
}

void VirtualRouterLineTest::droppedSilentAndLateRepliesAreCountedNotSent()
{
    useRouters(0, {{0, 16, 16}});
    QSignalSpy frames(m_line.get(), &VirtualRouterLine::frameReceived);
    m_line->setDropPercent(100);
    m_client->send(typeA("BEEF0000000101"));
    QVERIFY(frames.wait(kWaitMs));
    QCOMPARE(m_line->repliesDropped(), 1);
    QCOMPARE(m_line->crosspoint(0, 1), 1); // the reply was lost, not the route
    m_line->setDropPercent(0);
    m_line->setSilent(true);
    m_client->send(typeA("BEEF0000000202"));
    QVERIFY(frames.wait(kWaitMs));
    QCOMPARE(m_line->crosspoint(0, 2), 2);
    QVERIFY(!m_line->frontPanelRoute(0, 99, 0) && m_line->frontPanelRoute(0, 3, 3));
    m_line->setSilent(false);
    QCOMPARE(m_client->exchange(typeA("BEEF0000000303"), 1), kAck);
    QCOMPARE(m_line->repliesSent(), 1);
    QCOMPARE(m_line->repliesDropped(), 1);
    QCOMPARE(frames.first().first().toByteArray(), typeA("BEEF0000000101"));

    // A late reply is on its way but not yet on the line.
    m_line->setLateMs(60000);
    m_client->send(typeA("BEEF0000000404"));
    QVERIFY(frames.wait(kWaitMs));
    QCOMPARE(m_line->repliesSent(), 2);
    QVERIFY(m_client->take(0).isEmpty());
}

void VirtualRouterLineTest::dropsFollowTheSeed()
{
    useRouters(0, {{0, 16, 16}});
    m_line->setPacing(false);
    m_line->setDropPercent(50);
    auto run = [this] {
        m_line->setSeed(7);
        m_line->clearCounters();
        QString pattern;
        for (int i = 0; i < 24; ++i) {
            const int dropped = m_line->repliesDropped();
            m_client->send(typeA("BEEF0000000505"));
            if (!QTest::qWaitFor([&] { return m_line->framesReceived() == i + 1; }, kWaitMs))
                return QStringLiteral("no frame");
            pattern += m_line->repliesDropped() > dropped ? QLatin1Char('d') : QLatin1Char('s');
        }
        return pattern;
    };
    const QString first = run();
    QCOMPARE(run(), first);
    QVERIFY(first.contains(QLatin1Char('d')) && first.contains(QLatin1Char('s')));
}

void VirtualRouterLineTest::resendOnlyAnswersTheSecondTransmission()
{
    useRouters(1, {{0, 16, 16}});
    m_line->setAnswerOnResendOnly(true);
    const QByteArray route = typeB("//F00M01I02");
    m_client->send(route);
    QTRY_COMPARE_WITH_TIMEOUT(m_line->framesReceived(), 1, kWaitMs);
    QCOMPARE(m_line->crosspoint(0, 0), -1); // the first transmission went unheard
    QCOMPARE(m_client->exchange(route, 1), route.mid(route.size() - 2, 1));
    QCOMPARE(m_line->crosspoint(0, 0), 1);
    // Another frame in between starts over.
    m_client->send(route);
    m_client->send(typeB("//F00U"));
    m_client->send(route);
    QCOMPARE(m_client->exchange(route, 1), route.mid(route.size() - 2, 1));
    QCOMPARE(m_line->repliesDropped(), 4);
    QCOMPARE(m_line->repliesSent(), 2);
}

void VirtualRouterLineTest::linkIsCreatedReplacedAndRemoved()
{
    QTemporaryDir folder;
    const QString link = folder.filePath(QStringLiteral("ports/com1"));
    QDir().mkpath(folder.filePath(QStringLiteral("ports")));
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/pts"), link)); // stale, from a crash
    VirtualRouterLine line;
    QVERIFY(line.addRouter({0, 16, 16}));
    QVERIFY2(line.open(link), qPrintable(line.errorString()));
    QCOMPARE(QFileInfo(link).symLinkTarget(), line.devicePath());
    {
        LineClient client;
        QVERIFY(client.open(link));
        QCOMPARE(client.exchange(typeB("//F00M01I01"), 1), QByteArray("B"));
    }
    // The program closes its port and opens it again: the line notices both.
    QTRY_VERIFY_WITH_TIMEOUT(!line.isAttached(), kWaitMs);
    LineClient client;
    QVERIFY(client.open(link));
    QCOMPARE(client.exchange(typeB("//F00M01I01"), 1), QByteArray("B"));
    QVERIFY(line.isAttached());
    line.close();
    QVERIFY(!QFileInfo(link).isSymLink());

    // Anything but a link is left alone.
    QFile plain(link);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("keep");
    plain.close();
    QVERIFY(!line.open(link));
    QVERIFY(line.errorString().contains(QStringLiteral("not a link")));
    QVERIFY(plain.open(QIODevice::ReadOnly));
    QCOMPARE(plain.readAll(), QByteArray("keep"));
}

void VirtualRouterLineTest::configurationFileGivesRoutersAndFraming()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("line.rcf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("CV ConfigFile 1.2\r\nVersion: 1.2\r\nCom Port: 1\r\nComm Type: 0\r\n"
               "Router: 2; 2; 15; 15; 0; 4; 0;\r\nRouter: 2; 0; 7; 3; 0; 0; 0;\r\n");
    file.close();
    useRouters(1, {{9, 4, 4}});
    QString error;
    QVERIFY2(m_line->loadConfiguration(path, &error), qPrintable(error));
    QCOMPARE(m_line->commType(), 0);
    const auto routers = m_line->routers();
    QCOMPARE(routers.size(), 2);
    QCOMPARE(routers.at(0).frameAddress, 0);
    QCOMPARE(routers.at(0).inputs, 8);
    QCOMPARE(routers.at(0).outputs, 4);
    QCOMPARE(routers.at(1).frameAddress, 2);
    QCOMPARE(routers.at(1).firstOutput, 4);
    QCOMPARE(m_client->exchange(typeA("BEEF0200000F0F"), 1), kAck);

    // A file that is not a configuration changes nothing.
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Router: 2; 5; 15; 15; 0; 0; 0;\r\n");
    file.close();
    QVERIFY(!m_line->loadConfiguration(path, &error));
    QVERIFY2(error.contains(QStringLiteral("not a valid configuration file")), qPrintable(error));
    QCOMPARE(m_line->routers().size(), 2);
}

QTEST_GUILESS_MAIN(VirtualRouterLineTest)
#include "VirtualRouterLineTest.moc"

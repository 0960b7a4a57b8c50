#include "sim/VirtualRouterLine.h"

#include <QSerialPort>
#include <QTest>

using namespace corvantis;

namespace {

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

} // namespace

// The line every link test talks to: it must answer sound frames for its routers and nothing
// else, or a link test would pass on noise.
class VirtualRouterLineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void framesForItsRoutersAreAnsweredAndNoiseIsNot();
};

void VirtualRouterLineTest::framesForItsRoutersAreAnsweredAndNoiseIsNot()
{
    VirtualRouterLine line;
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    line.setCommType(0);
    QVERIFY(line.addRouter({0, 16, 16}));
    QVERIFY(line.addRouter({1, 8, 8}));
    QSerialPort port(line.devicePath());
    QVERIFY(port.open(QIODevice::ReadWrite));
    QTRY_VERIFY_WITH_TIMEOUT(line.isAttached(), 10000);

    // Unanswered: a port the router lacks, an empty frame address (with and without payload),
    // the other framing, a wrong checksum. Only the last frame's ACK may arrive.
    port.write(typeA("BEEF0100000108"));
    port.write(typeA("BEEF0700000101"));
    port.write(typeA("BEEF07"));
    port.write(withXor("//F00M01I01") + '\r');
    port.write(QByteArray::fromHex("BEEF0000000101 00"));
    port.write(typeA("BEEF0100000107"));
    QByteArray replies;
    QTRY_VERIFY_WITH_TIMEOUT(!(replies += port.readAll()).isEmpty(), 10000);
    QCOMPARE(replies, QByteArray(1, '\x06'));
    QCOMPARE(line.crosspoint(1, 7), 1);
    QCOMPARE(line.crosspoint(0, 1), -1);
    QCOMPARE(line.repliesSent(), 1);
}

QTEST_GUILESS_MAIN(VirtualRouterLineTest)
#include "VirtualRouterLineTest.moc"

#include "sim/SimFrameParser.h"

#include <QTest>

using namespace corvantis;
using Kind = SimFrame::Kind;

Q_DECLARE_METATYPE(QList<Kind>)

class SimFrameParserTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitsTheStreamIntoFrames_data();
    void splitsTheStreamIntoFrames();
    void framesSplitAcrossReadsAreJoined();
    void edidBlocksAreDataEvenWhenTheyLookLikeFrames();
};

void SimFrameParserTest::splitsTheStreamIntoFrames_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QList<Kind>>("kinds");
    QTest::addColumn<int>("discarded");

    QTest::newRow("type A route") << QByteArray::fromHex("BEEF0100000205 57")
                                  << QList<Kind>{Kind::TypeARoute} << 0;
    QTest::newRow("garbage before a frame") << QByteArray::fromHex("00FFBE2F BEEF03003207 0067")
                                            << QList<Kind>{Kind::TypeADisconnect} << 4;
    QTest::newRow("wrong checksum drops the frame, the next one is found")
        << QByteArray::fromHex("BEEF00000456 BEEF00000455") << QList<Kind>{Kind::TypeAStatus} << 6;
    QTest::newRow("type A header without payload")
        << QByteArray::fromHex("BEEF0253") << QList<Kind>{Kind::TypeAHeader} << 0;
    QTest::newRow("type B frames and fixed requests")
        << QByteArray("//F01M05I03E\r//F00U\x13\r//XXXX\r//RS\r//IR\r//F00D\r")
        << QList<Kind>{Kind::TypeBRoute,  Kind::TypeBStatus, Kind::TypeBVersion,
                       Kind::TypeBRsMode, Kind::TypeBIrMode, Kind::TypeBFlashData}
        << 0;
    QTest::newRow("RS-232 connect and disconnect")
        << QByteArray("//F02R01I02\x5C\r//F02D01I02\x4A\r")
        << QList<Kind>{Kind::TypeBRsConnect, Kind::TypeBRsDisconnect} << 0;
    QTest::newRow("checksum that is a CR")
        << QByteArray("//F04F09\r\r") << QList<Kind>{Kind::TypeBAddress} << 0;
    QTest::newRow("bare type B header before the next frame")
        << QByteArray("//F01//F00U\x13\r") << QList<Kind>{Kind::Unknown, Kind::TypeBStatus} << 0;
    QTest::newRow("broken type B frame resynchronises")
        << QByteArray("//F0//F01M05I03X\r//F00U\x13\r") << QList<Kind>{Kind::TypeBStatus} << 17;
}

void SimFrameParserTest::splitsTheStreamIntoFrames()
{
    QFETCH(QByteArray, stream);
    QFETCH(QList<Kind>, kinds);
    QFETCH(int, discarded);

    SimFrameParser parser;
    QList<Kind> got;
    for (const SimFrame &frame : parser.feed(stream))
        got.append(frame.kind);
    QCOMPARE(got, kinds);
    QCOMPARE(parser.bytesDiscarded(), discarded);
    QVERIFY(parser.isIdle());
}

void SimFrameParserTest::framesSplitAcrossReadsAreJoined()
{
    SimFrameParser parser;
    const QByteArray frame("//F01M05I03E\r");
    QList<SimFrame> frames;
    for (const char byte : frame)
        frames.append(parser.feed(QByteArray(1, byte)));
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames.first().bytes, frame);
    QCOMPARE(frames.first().address, 1);
    QCOMPARE(frames.first().first, 4);  // output, 0-based
    QCOMPARE(frames.first().second, 2); // input, 0-based
}

void SimFrameParserTest::edidBlocksAreDataEvenWhenTheyLookLikeFrames()
{
    SimFrameParser parser;
    QByteArray stream = QByteArray::fromHex("BEEF020001");
    QByteArray block = QByteArray::fromHex("BEEF000004550000");
    block.append(QByteArray::fromHex("00")); // check byte: XOR of the eight is 0
    for (int i = 0; i < SimFrameParser::kEdidBlocks; ++i)
        stream.append(block);
    stream.append(QByteArray::fromHex("BEEF00000455"));
    const QList<SimFrame> frames = parser.feed(stream);
    QCOMPARE(frames.size(), 1 + SimFrameParser::kEdidBlocks + 1);
    QCOMPARE(frames.first().kind, Kind::EdidHeader);
    QCOMPARE(frames.first().address, 2);
    QCOMPARE(frames.at(1).kind, Kind::EdidBlock);
    QVERIFY(frames.at(1).blockValid);
    QCOMPARE(frames.at(16).address, 2);
    QCOMPARE(frames.last().kind, Kind::TypeAStatus);

    // A block that fails its check ends the transfer: what follows is read as frames again.
    const QByteArray bad = QByteArray::fromHex("BEEF020001 010203040506070800 BEEF00000455");
    const QList<SimFrame> after = parser.feed(bad);
    QCOMPARE(after.size(), 3);
    QVERIFY(!after.at(1).blockValid);
    QCOMPARE(after.at(2).kind, Kind::TypeAStatus);
}

QTEST_GUILESS_MAIN(SimFrameParserTest)
#include "SimFrameParserTest.moc"

#include "net/BlockReader.h"

#include <gtest/gtest.h>

namespace corvantis {
namespace {

QList<PanelBlock> read(const QByteArray &text, BlockReader::Status expected, qsizetype chunk)
{
    BlockReader reader;
    QList<PanelBlock> blocks;
    BlockReader::Status status = BlockReader::Status::Ok;
    for (qsizetype at = 0; at < text.size(); at += chunk)
        status =
            reader.feed(QByteArrayView(text).sliced(at, qMin(chunk, text.size() - at)), blocks);
    EXPECT_EQ(status, expected);
    return blocks;
}

TEST(BlockReader, blocksAreTheSameWhateverTheChunksAndLineEnds)
{
    const QByteArray text =
        "\nPING:\r\n\r\n\r\nVIDEO OUTPUT ROUTING:\n1 2\r\n3 4\n\nINPUT LABELS:\n";
    for (const qsizetype chunk : {qsizetype(1), qsizetype(3), text.size()}) {
        SCOPED_TRACE(chunk);
        const QList<PanelBlock> blocks = read(text, BlockReader::Status::Ok, chunk);
        ASSERT_EQ(blocks.size(), 2);
        EXPECT_EQ(blocks[0].header, "PING:");
        EXPECT_TRUE(blocks[0].lines.isEmpty());
        EXPECT_EQ(blocks[1].header, "VIDEO OUTPUT ROUTING:");
        EXPECT_EQ(blocks[1].lines, (QList<QByteArray>{"1 2", "3 4"}));
    }
}

TEST(BlockReader, aLimitPassedFailsTheStreamAfterTheBlocksBeforeIt)
{
    using Status = BlockReader::Status;
    const QByteArray longestLine(BlockReader::kMaxLine, 'x');
    // 16 lines of 4095 bytes and their line ends: exactly 64 KiB with the header.
    const QByteArray fullBlock =
        "X:\n" + (QByteArray(4095, 'y') + '\n').repeated(15) + QByteArray(4096 - 3 - 1, 'z') + '\n';
    struct Case {
        const char *name;
        QByteArray text;
        Status status;
        qsizetype blocksBefore;
    };
    const Case cases[] = {
        {"longest line", "A:\n" + longestLine + "\r\n\n", Status::Ok, 2},
        {"line too long", "A:\n" + longestLine + "x\n\n", Status::LineTooLong, 1},
        {"unended line too long", longestLine + "xx", Status::LineTooLong, 1},
        {"full block", fullBlock + "\n", Status::Ok, 2},
        {"block too long", fullBlock + "1\n\n", Status::BlockTooLong, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray text = "PING:\n\n" + c.text;
        for (const qsizetype chunk : {qsizetype(7), qsizetype(5000), text.size()}) {
            SCOPED_TRACE(chunk);
            EXPECT_EQ(read(text, c.status, chunk).size(), c.blocksBefore);
        }
    }
}

} // namespace
} // namespace corvantis

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

struct LimitCase {
    const char *name;
    QByteArray text;
    BlockReader::Status status;
    qsizetype blocksBefore;
};

class BlockReaderLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(BlockReaderLimits, aLimitPassedFailsTheStreamAfterTheBlocksBeforeIt)
{
    const LimitCase &c = GetParam();
    const QByteArray text = "PING:\n\n" + c.text;
    for (const qsizetype chunk : {qsizetype(7), qsizetype(5000), text.size()}) {
        SCOPED_TRACE(chunk);
        EXPECT_EQ(read(text, c.status, chunk).size(), c.blocksBefore);
    }
}

const QByteArray kLongestLine(BlockReader::kMaxLine, 'x');
// 16 lines of 4095 bytes and their line ends: exactly 64 KiB with the header.
const QByteArray kFullBlockBody = QByteArray("X:\n").repeated(1) +
                                  (QByteArray(4095, 'y') + '\n').repeated(15) +
                                  QByteArray(4096 - 3 - 1, 'z') + '\n';

INSTANTIATE_TEST_SUITE_P(
    Cases, BlockReaderLimits,
    ::testing::Values(
        LimitCase{"longestLine", "A:\n" + kLongestLine + "\r\n\n", BlockReader::Status::Ok, 2},
        LimitCase{"lineTooLong", "A:\n" + kLongestLine + "x\n\n", BlockReader::Status::LineTooLong,
                  1},
        LimitCase{"unendedLineTooLong", kLongestLine + "xx", BlockReader::Status::LineTooLong, 1},
        LimitCase{"fullBlock", kFullBlockBody + "\n", BlockReader::Status::Ok, 2},
        LimitCase{"blockTooLong", kFullBlockBody + "1\n\n", BlockReader::Status::BlockTooLong, 1}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace corvantis

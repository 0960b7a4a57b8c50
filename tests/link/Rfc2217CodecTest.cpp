#include "link/Rfc2217Codec.h"

#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (const int value : values)
        result.append(static_cast<char>(value));
    return result;
}

constexpr int kIac = 255;

TEST(Rfc2217Codec, ServerAgreeingToSerialControlGetsTheLineSettingsAndOtherOptionsAreRefused)
{
    Rfc2217Codec codec;
    const QByteArray start = codec.start();
    EXPECT_TRUE(start.contains(bytes({kIac, Rfc2217Codec::kWill, Rfc2217Codec::kComPortOption})));
    EXPECT_FALSE(codec.binarySettled());

    QByteArray reply;
    codec.decode(bytes({kIac, Rfc2217Codec::kDo, Rfc2217Codec::kBinary, kIac, Rfc2217Codec::kWill,
                        Rfc2217Codec::kBinary}),
                 reply);
    EXPECT_TRUE(codec.binarySettled());
    // Agreement to what was asked for needs no answer.
    EXPECT_TRUE(reply.isEmpty());

    codec.decode(bytes({kIac, Rfc2217Codec::kDo, Rfc2217Codec::kComPortOption}), reply);
    EXPECT_EQ(reply, Rfc2217Codec::lineSettings());
    // 9600 baud in network order, no parity, no flow control.
    EXPECT_TRUE(reply.contains(bytes({kIac, Rfc2217Codec::kSb, 44, 1, 0, 0, 0x25, 0x80})));
    EXPECT_TRUE(reply.contains(bytes({kIac, Rfc2217Codec::kSb, 44, 3, 1, kIac})));
    EXPECT_TRUE(reply.contains(bytes({kIac, Rfc2217Codec::kSb, 44, 5, 1, kIac})));

    reply.clear();
    codec.decode(bytes({kIac, Rfc2217Codec::kDo, 1, kIac, Rfc2217Codec::kWill, 1}), reply);
    EXPECT_EQ(reply, bytes({kIac, Rfc2217Codec::kWont, 1, kIac, Rfc2217Codec::kDont, 1}));
}

// A router's reply or an EDID block may hold 0xFF: on the connection it is doubled, and the
// server's doubled 0xFF is one data byte wherever the connection splits what it sends.
TEST(Rfc2217Codec, LineDataHoldingFfIsDoubledOnTheConnectionAndArrivesOnce)
{
    const struct {
        QByteArray data, wire;
    } cases[] = {
        {bytes({0x45, kIac, 0x0D}), bytes({0x45, kIac, kIac, 0x0D})},
        {bytes({kIac, kIac, 1}), bytes({kIac, kIac, kIac, kIac, 1})},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Rfc2217Codec::escape(c.data), c.wire);
        for (qsizetype split = 0; split <= c.wire.size(); ++split) {
            Rfc2217Codec codec;
            QByteArray reply;
            QByteArray data = codec.decode(c.wire.left(split), reply);
            data += codec.decode(c.wire.mid(split), reply);
            EXPECT_EQ(data, c.data) << "split at " << split;
            EXPECT_TRUE(reply.isEmpty());
        }
    }
}

} // namespace
} // namespace corvantis::test

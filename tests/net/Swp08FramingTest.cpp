// The binary panel protocol's message framing against hand-worked byte vectors.
#include "net/Swp08Framing.h"

#include "Swp08Controller.h"

#include <gtest/gtest.h>

using namespace corvantis::swp08;
using corvantis::test::hex;
using Kind = FrameReader::Event::Kind;

namespace {

struct Vector {
    const char *name;
    Bytes data;
    Bytes wire;
};

// Checksum = -(sum of data and count) & 0x7F; DLE in data, count or checksum doubled.
const Vector kVectors[] = {
    {"interrogate", hex("01 00 00 05"), hex("10 02 01 00 00 05 04 76 10 03")},
    {"dle in data", hex("02 00 00 10 03"), hex("10 02 02 00 00 10 10 03 05 66 10 03")},
    {"dle as checksum", {0x6F}, hex("10 02 6F 01 10 10 10 03")},
    {"dle as count", Bytes(16, 0x00),
     hex("10 02" + QByteArray(" 00").repeated(16) + " 10 10 70 10 03")},
};

} // namespace

TEST(Swp08Framing, EncodesEveryVectorByteForByteAndReadsItBack)
{
    for (const Vector &vector : kVectors) {
        SCOPED_TRACE(vector.name);
        EXPECT_EQ(EncodeMessage(vector.data), vector.wire);
        FrameReader reader;
        const auto events = reader.feed(vector.wire);
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].kind, Kind::Message);
        EXPECT_EQ(events[0].data, vector.data);
    }
}

TEST(Swp08Framing, RefusesBadMessagesAndKeepsTheNextGoodOne)
{
    const Bytes good = kVectors[0].wire;
    struct Case {
        const char *name;
        Bytes bad;
        std::vector<Kind> kinds; // before the good message
    };
    const Case cases[] = {
        {"bad checksum", hex("10 02 01 00 00 05 04 77 10 03"), {Kind::Bad}},
        {"count too high", hex("10 02 01 00 00 05 05 75 10 03"), {Kind::Bad}},
        {"count too low", hex("10 02 01 00 00 05 03 77 10 03"), {Kind::Bad}},
        {"no count", hex("10 02 10 03"), {Kind::Bad}},
        {"no data", hex("10 02 00 00 10 03"), {Kind::Bad}},
        {"single dle inside", hex("10 02 01 10 05 04"), {Kind::Bad, Kind::Skipped}},
        // The cut message is refused and the start that cut it begins the good one.
        {"cut short", hex("10 02 01 00"), {Kind::Bad}},
        {"garbage", hex("41 03 10 41 FF"), {Kind::Skipped}},
        {"stray etx", hex("10 03"), {Kind::Skipped}},
        {"ack and nak", hex("10 06 10 15"), {Kind::Ack, Kind::Nak}},
        // Only 7 bits of the checksum count: a set bit 7 is no fault.
        {"checksum bit 7 set", hex("10 02 01 00 00 05 04 F6 10 03"), {Kind::Message}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes stream = c.bad;
        stream.insert(stream.end(), good.begin(), good.end());
        FrameReader reader;
        const auto events = reader.feed(stream);
        ASSERT_EQ(events.size(), c.kinds.size() + 1);
        for (std::size_t i = 0; i < c.kinds.size(); ++i) {
            EXPECT_EQ(events[i].kind, c.kinds[i]);
            // Only a refusal has a reason.
            EXPECT_NE(events[i].reason.empty(),
                      c.kinds[i] == Kind::Bad || c.kinds[i] == Kind::Skipped);
        }
        EXPECT_EQ(events.back().kind, Kind::Message);
        EXPECT_EQ(events.back().data, kVectors[0].data);
    }
}

TEST(Swp08Framing, RefusesAnEndlessMessageAndServesTheLargestNext)
{
    Bytes stream{0x10, 0x02};
    stream.insert(stream.end(), 5000, 0x10); // doubled DLEs: 2500 content bytes
    stream.insert(stream.end(), 5000, 0x20);
    FrameReader reader;
    const auto bad = reader.feed(stream);
    ASSERT_FALSE(bad.empty());
    EXPECT_EQ(bad[0].kind, Kind::Bad);
    EXPECT_LE(reader.pending(), kMaxData + 2);
    // The largest message, all DLE, still fits.
    const Bytes largest(kMaxData, 0x10);
    const auto events = reader.feed(EncodeMessage(largest));
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().kind, Kind::Message);
    EXPECT_EQ(events.back().data, largest);
}

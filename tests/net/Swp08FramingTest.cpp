// The binary panel protocol's message framing against hand-worked byte vectors.
#include "net/Swp08Framing.h"

#include <gtest/gtest.h>

using namespace corvantis::swp08;
using Kind = FrameReader::Event::Kind;

namespace {

struct Vector {
    const char *name;
    Bytes data;
    Bytes wire;
};

// Checksum = -(sum of data and count) & 0x7F; DLE in data, count or checksum doubled.
const Vector kVectors[] = {
    {"interrogate",
     {0x01, 0x00, 0x00, 0x05},
     {0x10, 0x02, 0x01, 0x00, 0x00, 0x05, 0x04, 0x76, 0x10, 0x03}},
    {"dle in data",
     {0x02, 0x00, 0x00, 0x10, 0x03},
     {0x10, 0x02, 0x02, 0x00, 0x00, 0x10, 0x10, 0x03, 0x05, 0x66, 0x10, 0x03}},
    {"dle as checksum", {0x6F}, {0x10, 0x02, 0x6F, 0x01, 0x10, 0x10, 0x10, 0x03}},
    {"dle as count", Bytes(16, 0x00), {0x10, 0x02, 0, 0, 0, 0, 0,    0,    0,    0,    0,   0,
                                       0,    0,    0, 0, 0, 0, 0x10, 0x10, 0x70, 0x10, 0x03}},
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
        {"bad checksum", {0x10, 0x02, 0x01, 0x00, 0x00, 0x05, 0x04, 0x77, 0x10, 0x03}, {Kind::Bad}},
        {"count too high",
         {0x10, 0x02, 0x01, 0x00, 0x00, 0x05, 0x05, 0x75, 0x10, 0x03},
         {Kind::Bad}},
        {"count too low",
         {0x10, 0x02, 0x01, 0x00, 0x00, 0x05, 0x03, 0x77, 0x10, 0x03},
         {Kind::Bad}},
        {"no count", {0x10, 0x02, 0x10, 0x03}, {Kind::Bad}},
        {"no data", {0x10, 0x02, 0x00, 0x00, 0x10, 0x03}, {Kind::Bad}},
        {"single dle inside", {0x10, 0x02, 0x01, 0x10, 0x05, 0x04}, {Kind::Bad, Kind::Skipped}},
        // The cut message is refused and the start that cut it begins the good one.
        {"cut short", {0x10, 0x02, 0x01, 0x00}, {Kind::Bad}},
        {"garbage", {0x41, 0x03, 0x10, 0x41, 0xFF}, {Kind::Skipped}},
        {"stray etx", {0x10, 0x03}, {Kind::Skipped}},
        {"ack and nak", {0x10, 0x06, 0x10, 0x15}, {Kind::Ack, Kind::Nak}},
        // Only 7 bits of the checksum count: a set bit 7 is no fault.
        {"checksum bit 7 set",
         {0x10, 0x02, 0x01, 0x00, 0x00, 0x05, 0x04, 0xF6, 0x10, 0x03},
         {Kind::Message}},
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
            if (c.kinds[i] == Kind::Bad || c.kinds[i] == Kind::Skipped) {
                EXPECT_FALSE(events[i].reason.empty());
            }
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

#include "link/Framing.h"

#include "link/ReceiveHandling.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace corvantis;

namespace {

// "BE EF 00" -> the three bytes.
Bytes hex(std::string_view text)
{
    Bytes bytes;
    std::istringstream in{std::string(text)};
    unsigned value = 0;
    while (in >> std::hex >> value)
        bytes += static_cast<char>(value);
    return bytes;
}

struct FrameCase {
    const char *name;
    int commType;
    int frameAddress;
    int code;
    int p3;
    int p4;
    const char *expected; // hex bytes
};

class FrameVectors : public ::testing::TestWithParam<FrameCase> {};

} // namespace

TEST_P(FrameVectors, BuildFrameIsByteExact)
{
    const auto &c = GetParam();
    EXPECT_EQ(BuildFrame(c.commType, c.frameAddress, c.code, c.p3, c.p4), hex(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Framing, FrameVectors,
    ::testing::Values(
        FrameCase{"A_RouteIn2Out5", kTypeA, 1, CmdRoute, 5, 2, "BE EF 01 00 00 02 05 57"},
        FrameCase{"A_RouteIn0Out0", kTypeA, 0, CmdRoute, 0, 0, "BE EF 00 00 00 00 00 51"},
        FrameCase{"A_Disconnect", kTypeA, 3, CmdDisconnect, 7, 0, "BE EF 03 00 32 07 00 67"},
        FrameCase{"A_Status", kTypeA, 0, CmdStatus, 0, 0, "BE EF 00 00 04 55"},
        FrameCase{"A_SetAddress", kTypeA, 0, CmdSetFrameAddress, 5, 0, "BE EF 00 00 0E 05 5A"},
        FrameCase{"A_PairRouteBare", kTypeA, 2, CmdPairRoute, 4, 1, "BE EF 02 53"},
        FrameCase{"A_RsConnectBare", kTypeA, 2, CmdRsConnect, 1, 2, "BE EF 02 53"},
        FrameCase{"A_RsDisconnectBare", kTypeA, 0, CmdRsDisconnect, 1, 2, "BE EF 00 51"},
        FrameCase{"B_Route", kTypeB, 1, CmdRoute, 4, 2, "2F 2F 46 30 31 4D 30 35 49 30 33 45 0D"},
        // A number field holds 0 to 99; another number leaves it empty.
        FrameCase{"B_RoutePort99", kTypeB, 1, CmdRoute, 98, 98,
                  "2F 2F 46 30 31 4D 39 39 49 39 39 43 0D"},
        FrameCase{"B_RoutePort100HasNoDigits", kTypeB, 1, CmdRoute, 99, 98,
                  "2F 2F 46 30 31 4D 49 39 39 43 0D"},
        FrameCase{"B_NegativeHasNoDigits", kTypeB, 0, CmdSetFrameAddress, -1, 0,
                  "2F 2F 46 30 30 46 00 0D"},
        FrameCase{"B_Status", kTypeB, 0, CmdStatus, 0, 0, "2F 2F 46 30 30 55 13 0D"},
        FrameCase{"B_RsConnect", kTypeB, 2, CmdRsConnect, 1, 2,
                  "2F 2F 46 30 32 52 30 31 49 30 32 5C 0D"},
        FrameCase{"B_RsDisconnect", kTypeB, 2, CmdRsDisconnect, 1, 2,
                  "2F 2F 46 30 32 44 30 31 49 30 32 4A 0D"},
        FrameCase{"B_SetAddress", kTypeB, 0, CmdSetFrameAddress, 5, 0,
                  "2F 2F 46 30 30 46 30 35 05 0D"},
        // Type B has no body for these: a bare address would corrupt the router's next frame.
        FrameCase{"B_DisconnectHasNoFrame", kTypeB, 12, CmdDisconnect, 7, 0, ""},
        FrameCase{"B_PairRouteHasNoFrame", kTypeB, 3, CmdPairRoute, 7, 1, ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Framing, TypeAAcceptsOnlyASingleAck)
{
    const auto frame = BuildFrame(kTypeA, 1, CmdRoute, 5, 2);
    EXPECT_TRUE(IsValidReply(kTypeA, "\x06", frame));
    EXPECT_FALSE(IsValidReply(kTypeA, "\x06\x06", frame));
    EXPECT_FALSE(IsValidReply(kTypeA, "\x15", frame));
}

TEST(Framing, TypeBAcceptsTheChecksumEchoAsFirstByte)
{
    const auto frame = BuildFrame(kTypeB, 1, CmdRoute, 4, 2);
    EXPECT_TRUE(IsValidReply(kTypeB, "\x45", frame));
    EXPECT_TRUE(IsValidReply(kTypeB, "\x45trailing", frame));
    EXPECT_FALSE(IsValidReply(kTypeB, "", frame));
    EXPECT_FALSE(IsValidReply(kTypeB, "\x06", frame));
}

namespace {

struct ReportCase {
    const char *name;
    const char *input;  // hex bytes
    const char *answer; // hex bytes
    std::vector<int> cells;
    std::size_t tail;
};

class RemoteReports : public ::testing::TestWithParam<ReportCase> {};

} // namespace

// A router's own report is taken out of whatever answer it arrived in, wherever it sits.
TEST_P(RemoteReports, AreTakenOutOfTheAnswer)
{
    const ReportCase &c = GetParam();
    const SeparatedInput found = SeparateRemoteReports(hex(c.input));
    EXPECT_EQ(found.answer, hex(c.answer));
    EXPECT_EQ(found.cells, c.cells);
    EXPECT_EQ(found.tail, c.tail);
}

INSTANTIATE_TEST_SUITE_P(
    Framing, RemoteReports,
    ::testing::Values(ReportCase{"Alone", "55 02 03", "", {18}, 0},
                      ReportCase{"LastCell", "55 10 10 6A 75", "6A 75", {255}, 0},
                      ReportCase{"BeforeAnAck", "55 02 03 06", "06", {18}, 0},
                      ReportCase{"AfterAnAck", "06 55 01 01", "06", {0}, 0},
                      ReportCase{
                          "InsideAStatusReply", "83 55 01 02 80 55 03 04", "83 80", {1, 35}, 0},
                      ReportCase{"FirstByteStillArriving", "06 55", "06 55", {}, 1},
                      ReportCase{"SecondByteStillArriving", "06 55 10", "06 55 10", {}, 2},
                      ReportCase{"GroupBeyondTheGrid", "55 11 01", "55 11 01", {}, 0},
                      ReportCase{"CellZero", "55 00 03", "55 00 03", {}, 0},
                      ReportCase{"StartThatNamesNoCell", "06 55 11", "06 55 11", {}, 0},
                      ReportCase{"LowerCase", "75 02 03", "75 02 03", {}, 0}),
    [](const auto &info) { return std::string(info.param.name); });

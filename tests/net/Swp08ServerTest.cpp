// The binary panel-protocol server on real loopback sockets, a scripted matrix behind it.
#include "net/Swp08Server.h"

#include "ServerRig.h"
#include "Swp08Controller.h"

#include <QTest>
#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

using namespace swp08;

using Rig = ServerRig<Swp08Server, Swp08Controller>;

// Each run of known routes is its own dump; names come padded or cut to the length asked.
TEST(Swp08Server, tallyDumpsAndNamesComeInTheFormAndLengthAsked)
{
    Rig rig(FakeMatrixControl::normalLayout());
    auto c = rig.client();
    for (const Bytes &request : {Bytes{0x15, 0x01}, Bytes{0x95, 0x00, 0x00},
                                 Bytes{0x64, 0x00, 0x00}, Bytes{0x66, 0x00, 0x01}})
        c->send(request);
    ASSERT_TRUE(c->waitForMessages(6));
    const auto named = [](Bytes header, const std::string &names) {
        header.insert(header.end(), names.begin(), names.end());
        return header;
    };
    EXPECT_EQ(c->messages,
              (std::vector<Bytes>{
                  {0x16, 0x01, 1, 0, 2},
                  {0x16, 0x01, 1, 3, 5},
                  {0x97, 0x00, 0x00, 1, 0, 0, 0, 2},
                  {0x97, 0x00, 0x00, 1, 0, 3, 0, 5},
                  named({0x6A, 0x00, 0x00, 0x00, 0x00, 6}, "Cam Cam Cam -   -   Tape"),
                  named({0x6B, 0x00, 0x01, 0x00, 0x00, 4}, "Mon 1   Mon 2   -       Rec     ")}));
}

// Every lock change reaches every controller on both levels in the form it last used, and so
// does every connect the matrix ran, with the source that holds; a refused or idle request is
// answered to the requester alone.
TEST(Swp08Server, protectsAndConnectsReachEveryControllerAndRefusalsOnlyTheRequester)
{
    Rig rig(FakeMatrixControl::squareLayout(20));
    rig.matrix.failingOutputs = {4};
    auto c = rig.client();
    auto other = rig.client();
    struct Step {
        const char *name;
        Swp08Controller *from; // none: the window locks output 2
        QByteArray request, toC, toOther;
    };
    // clang-format off
    const Step steps[] = {
        {"protect 16 as device 5",     c.get(),     "0C 00 00 10 05",
         "0D 00 01 00 10 05 | 0D 01 01 00 10 05", "0D 00 02 00 10 05 | 0D 01 02 00 10 05"},
        {"interrogated, extended",     other.get(), "8A 00 01 00 10 00 09", "", "8B 00 01 02 00 10 00 05"},
        {"the window locks 2",         nullptr,     "",
         "0D 00 02 00 02 00 | 0D 01 02 00 02 00", "8D 00 00 02 00 02 00 00 | 8D 00 01 02 00 02 00 00"},
        {"not its protect to remove",  other.get(), "0E 00 00 10 09", "", "0F 00 02 00 10 05"},
        {"removed by its holder",      c.get(),     "0E 00 00 10 05",
         "0F 00 00 00 10 00 | 0F 01 00 00 10 00", "0F 00 00 00 10 00 | 0F 01 00 00 10 00"},
        {"routed",                     c.get(),     "02 01 00 10 03",
         "04 00 00 10 03 | 04 01 00 10 03", "04 00 00 10 03 | 04 01 00 10 03"},
        {"extended",                   c.get(),     "82 00 00 00 05 00 10",
         "84 00 00 00 05 00 10 | 84 00 01 00 05 00 10", "04 00 00 05 10 | 04 01 00 05 10"},
        {"locked",                     c.get(),     "02 00 00 02 07", "04 00 00 02 02", ""},
        {"router failed",              c.get(),     "02 00 00 04 07",
         "04 00 00 04 04 | 04 01 00 04 04", "04 00 00 04 04 | 04 01 00 04 04"},
        {"no such source",             c.get(),     "82 00 01 00 06 00 50", "84 00 01 00 06 00 06", ""},
    };
    // clang-format on
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        c->messages.clear();
        other->messages.clear();
        const int acks = step.from ? step.from->acks : 0;
        if (step.from)
            step.from->send(hex(step.request));
        else
            rig.locks.lock(2, OutputLocks::kThisComputer);
        ASSERT_TRUE(c->waitForMessages(hexes(step.toC).size()));
        ASSERT_TRUE(other->waitForMessages(hexes(step.toOther).size()));
        QTest::qWait(20); // nothing more follows
        c->waitForMessages(0);
        other->waitForMessages(0);
        EXPECT_EQ(c->messages, hexes(step.toC));
        EXPECT_EQ(other->messages, hexes(step.toOther));
        if (step.from) {
            EXPECT_EQ(step.from->acks, acks + 1);
        }
    }
    EXPECT_EQ(rig.locks.holder(16), OutputLocks::kNobody);
    EXPECT_EQ(rig.matrix.routesRun.size(), 3);
}

// Every answer byte for byte, the DLEs in the numbers doubled, however the bytes arrive.
TEST(Swp08Server, servesSplitCoalescedAndBadInputWithoutLosingAGoodMessage)
{
    Rig rig(FakeMatrixControl::squareLayout(20));
    auto c = rig.client();
    // Garbage, a bad checksum, a matrix that is not here (its DLE doubled), then twice
    // interrogate destination 16 on matrix 0 level 0: count 4, checksum -(1+16+4) & 0x7F.
    const QByteArray interrogate = " 10 02 01 00 00 10 10 04 6B 10 03";
    const Bytes stream =
        hex("41 42  10 02 01 00 00 05 04 77 10 03  10 02 01 10 10 00 05 04 66 10 03" + interrogate +
            interrogate);
    for (std::size_t at = 0; at < stream.size(); ++at) {
        c->sendRaw({stream[at]});
        if (at % 7 == 0)
            QTest::qWait(0);
    }
    ASSERT_TRUE(c->waitForMessages(2));
    // NAK, ACK for the matrix that is not here (no answer), then twice ACK and tally 16 <- 16:
    // count 5, checksum -(3+16+16+5) & 0x7F.
    const QByteArray tally = " 10 06 10 02 03 00 00 10 10 10 10 05 58 10 03";
    EXPECT_EQ(c->raw, hex("10 15 10 06" + tally + tally));
}

} // namespace
} // namespace corvantis::test

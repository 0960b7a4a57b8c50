// The binary panel-protocol server on real loopback sockets, a scripted matrix behind it.
#include "net/Swp08Server.h"

#include "ServerRig.h"
#include "Swp08Controller.h"

#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

using namespace swp08;

using Rig = ServerRig<Swp08Server, Swp08Controller>;

TEST(Swp08Server, connectIsAnsweredWithTheSourceThatHoldsInBothForms)
{
    Rig rig(FakeMatrixControl::squareLayout(20));
    rig.matrix.failingOutputs = {4};
    rig.locks.lock(2, OutputLocks::kThisComputer);
    auto c = rig.client();
    auto other = rig.client();
    struct Case {
        const char *name;
        Bytes request;
        std::vector<Bytes> answers; // to the requester
        bool seenByOthers;
    };
    const Case cases[] = {
        {"routed",
         {0x02, 0x01, 0x00, 0x10, 0x03},
         {{0x04, 0x00, 0x00, 0x10, 0x03}, {0x04, 0x01, 0x00, 0x10, 0x03}},
         true},
        {"extended",
         {0x82, 0x00, 0x00, 0x00, 0x05, 0x00, 0x10},
         {{0x84, 0x00, 0x00, 0x00, 0x05, 0x00, 0x10}, {0x84, 0x00, 0x01, 0x00, 0x05, 0x00, 0x10}},
         true},
        {"locked", {0x02, 0x00, 0x00, 0x02, 0x07}, {{0x04, 0x00, 0x00, 0x02, 0x02}}, false},
        {"router failed",
         {0x02, 0x00, 0x00, 0x04, 0x07},
         {{0x04, 0x00, 0x00, 0x04, 0x04}, {0x04, 0x01, 0x00, 0x04, 0x04}},
         true},
        {"no such source",
         {0x82, 0x00, 0x01, 0x00, 0x06, 0x00, 0x50},
         {{0x84, 0x00, 0x01, 0x00, 0x06, 0x00, 0x06}},
         false},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        c->messages.clear();
        other->messages.clear();
        const int acks = c->acks;
        c->send(k.request);
        ASSERT_TRUE(c->waitForMessages(k.answers.size()));
        EXPECT_EQ(c->acks, acks + 1);
        EXPECT_EQ(c->messages, k.answers);
        if (k.seenByOthers) {
            ASSERT_TRUE(other->waitForMessages(k.answers.size()));
            EXPECT_EQ(other->messages.size(), k.answers.size());
        }
    }
    EXPECT_EQ(rig.matrix.routesRun.size(), 3);
}

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

// Every lock change reaches every controller on both levels in the form it last used; a
// refused or idle request is answered to the requester alone. A connect refused by a lock is
// the connect test's.
TEST(Swp08Server, protectsOnTheSharedLocksReachEveryController)
{
    Rig rig(FakeMatrixControl::squareLayout(20));
    auto c = rig.client();
    auto other = rig.client();
    const auto send = [](Swp08Controller &from, const Bytes &data) {
        return [&from, data] { from.send(data); };
    };
    struct Step {
        const char *name;
        std::function<void()> act;
        std::vector<Bytes> toC, toOther;
    };
    // clang-format off
    const Step steps[] = {
        {"protect 16 as device 5", send(*c, {0x0C, 0x00, 0x00, 0x10, 0x05}),
         {{0x0D, 0x00, 0x01, 0x00, 0x10, 0x05}, {0x0D, 0x01, 0x01, 0x00, 0x10, 0x05}},
         {{0x0D, 0x00, 0x02, 0x00, 0x10, 0x05}, {0x0D, 0x01, 0x02, 0x00, 0x10, 0x05}}},
        {"interrogated, extended", send(*other, {0x8A, 0x00, 0x01, 0x00, 0x10, 0x00, 0x09}),
         {},
         {{0x8B, 0x00, 0x01, 0x02, 0x00, 0x10, 0x00, 0x05}}},
        {"the window locks 2", [&] { rig.locks.lock(2, OutputLocks::kThisComputer); },
         {{0x0D, 0x00, 0x02, 0x00, 0x02, 0x00}, {0x0D, 0x01, 0x02, 0x00, 0x02, 0x00}},
         {{0x8D, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x00},
          {0x8D, 0x00, 0x01, 0x02, 0x00, 0x02, 0x00, 0x00}}},
        {"not its protect to remove", send(*other, {0x0E, 0x00, 0x00, 0x10, 0x09}),
         {},
         {{0x0F, 0x00, 0x02, 0x00, 0x10, 0x05}}},
        {"removed by its holder", send(*c, {0x0E, 0x00, 0x00, 0x10, 0x05}),
         {{0x0F, 0x00, 0x00, 0x00, 0x10, 0x00}, {0x0F, 0x01, 0x00, 0x00, 0x10, 0x00}},
         {{0x0F, 0x00, 0x00, 0x00, 0x10, 0x00}, {0x0F, 0x01, 0x00, 0x00, 0x10, 0x00}}},
    };
    // clang-format on
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        c->messages.clear();
        other->messages.clear();
        step.act();
        ASSERT_TRUE(c->waitForMessages(step.toC.size()));
        ASSERT_TRUE(other->waitForMessages(step.toOther.size()));
        QTest::qWait(20); // nothing more follows
        c->waitForMessages(0);
        other->waitForMessages(0);
        EXPECT_EQ(c->messages, step.toC);
        EXPECT_EQ(other->messages, step.toOther);
    }
    EXPECT_EQ(rig.locks.holder(16), OutputLocks::kNobody);
}

// Every answer byte for byte, the DLEs in the numbers doubled, however the bytes arrive.
TEST(Swp08Server, servesSplitCoalescedAndBadInputWithoutLosingAGoodMessage)
{
    Rig rig(FakeMatrixControl::squareLayout(20));
    auto c = rig.client();
    // Interrogate destination 16 on matrix 0 level 0: count 4, checksum -(1+16+4) & 0x7F.
    const Bytes interrogate{0x10, 0x02, 0x01, 0x00, 0x00, 0x10, 0x10, 0x04, 0x6B, 0x10, 0x03};
    Bytes stream{0x41, 0x42}; // garbage
    stream.insert(stream.end(),
                  {0x10, 0x02, 0x01, 0x00, 0x00, 0x05, 0x04, 0x77, 0x10, 0x03}); // bad sum
    const Bytes unknownMatrix = EncodeMessage(Bytes{0x01, 0x10, 0x00, 0x05});
    stream.insert(stream.end(), unknownMatrix.begin(), unknownMatrix.end());
    stream.insert(stream.end(), interrogate.begin(), interrogate.end());
    stream.insert(stream.end(), interrogate.begin(), interrogate.end());
    for (std::size_t at = 0; at < stream.size(); ++at) {
        c->sendRaw({stream[at]});
        if (at % 7 == 0)
            QTest::qWait(0);
    }
    ASSERT_TRUE(c->waitForMessages(2));
    // NAK, ACK for the matrix that is not here (no answer), then twice ACK and tally 16 <- 16:
    // count 5, checksum -(3+16+16+5) & 0x7F.
    Bytes expected{0x10, 0x15, 0x10, 0x06};
    for (int twice = 0; twice < 2; ++twice)
        expected.insert(expected.end(), {0x10, 0x06, 0x10, 0x02, 0x03, 0x00, 0x00, 0x10, 0x10, 0x10,
                                         0x10, 0x05, 0x58, 0x10, 0x03});
    EXPECT_EQ(c->raw, expected);
}

} // namespace
} // namespace corvantis::test

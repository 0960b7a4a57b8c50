#include "util/Numbers.h"

#include "util/GeneralFunctions.h"
#include "util/RuntimeError.h"
#include "util/TextCodec.h"

#include <gtest/gtest.h>
#include <utility>

using namespace corvantis;

TEST(Numbers, LeadingNumberReadsThePrefixOnly)
{
    EXPECT_EQ(LeadingNumber("  42 apples"), 42);
    EXPECT_EQ(LeadingNumber("-3;"), -3);
    EXPECT_DOUBLE_EQ(LeadingNumber("0.25s"), 0.25);
    EXPECT_DOUBLE_EQ(LeadingNumber("1e2"), 100);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("-"), 0);
}

// A value that reads as a number after a tab must also lose that tab when trimmed as text.
TEST(Numbers, NumbersAndTrimCountTheSameBlanks)
{
    EXPECT_EQ(LeadingNumber("\t 7"), 7);
    EXPECT_FLOAT_EQ(ParseSingle("\t0.5 \t"), 0.5f);
    EXPECT_EQ(Trim("\t Camera 1 \t"), "Camera 1");
}

TEST(Numbers, AtLeastTwoDigitsPadsOnlyBelowTen)
{
    for (const auto &[value, text] :
         {std::pair{0, "00"}, {7, "07"}, {10, "10"}, {127, "127"}, {-1, "-1"}})
        EXPECT_EQ(AtLeastTwoDigits(value), text) << value;
}

TEST(Numbers, RoundingIsHalfToEvenAndOverflowIsReported)
{
    EXPECT_EQ(RoundToInt16(2.5), 2);
    EXPECT_EQ(RoundToInt16(3.5), 4);
    EXPECT_EQ(RoundToInt16(-0.5), 0);
    EXPECT_EQ(RoundToInt16(32767.4), 32767);
    EXPECT_THROW(RoundToInt16(32767.6), RuntimeError);
    EXPECT_THROW(RoundToInt16(LeadingNumber("1e400")), RuntimeError);
    EXPECT_EQ(RoundToByte(255), 255);
    EXPECT_THROW(RoundToByte(-1), RuntimeError);
    EXPECT_THROW(RoundToByte(256), RuntimeError);
}

TEST(Numbers, SingleParsingAcceptsDecimalCommaAndRejectsText)
{
    EXPECT_FLOAT_EQ(ParseSingle("0.2"), 0.2f);
    EXPECT_FLOAT_EQ(ParseSingle(" 0,5 "), 0.5f);
    EXPECT_FLOAT_EQ(ParseSingle("60"), 60.0f);
    EXPECT_THROW(ParseSingle("fast"), RuntimeError);
    EXPECT_THROW(ParseSingle(""), RuntimeError);
    EXPECT_THROW(ParseSingle("1.5.2"), RuntimeError);
    EXPECT_THROW(ParseSingle("1e99"), RuntimeError);
    EXPECT_EQ(FormatSingle(0.2f), "0.2");
    EXPECT_EQ(FormatSingle(30.0f), "30");
    EXPECT_EQ(FormatSingle(1.5f), "1.5");
}

TEST(TextCodec, Utf8PassesAndAnsiBecomesUtf8)
{
    EXPECT_EQ(DecodeFileText("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBFok"), "ok");
    EXPECT_EQ(DecodeFileText("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_FALSE(IsValidUtf8("\xC3"));
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_EQ(Utf8Length("Caf\xC3\xA9"), 4u);
}

TEST(TextCodec, LinesEndInCrLfLfOrCr)
{
    const auto lines = SplitLines("a\r\nb\nc\rd\r\n\r\ne");
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("x\r\n").size(), 1u);
}

#include "util/Numbers.h"

#include "util/GeneralFunctions.h"
#include "util/RuntimeError.h"
#include "util/TextCodec.h"

#include <gtest/gtest.h>

using namespace corvantis;

TEST(Numbers, NumbersAndTrimCountTheSameBlanks)
{
    EXPECT_EQ(LeadingNumber("\t 7"), 7);
    EXPECT_FLOAT_EQ(ParseSingle("\t0.5 \t"), 0.5f);
    EXPECT_EQ(Trim("\t Camera 1 \t"), "Camera 1");
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

#include "config/NamesCsv.h"

#include <gtest/gtest.h>

using namespace corvantis;

namespace {

using Direction = NamesCsv::Direction;
const std::string kHeaderLine = "direction,number,name\r\n";

struct RefusedCase {
    const char *label;
    std::string body; // after the header, unless it starts without one
    int line;
    const char *reasonStart;
    std::size_t rowsKept;
};

} // namespace

TEST(NamesCsvTest, WrittenFieldsAreQuotedAsSpreadsheetsExpect)
{
    const std::string text = NamesCsv::write({{Direction::Input, 1, "Plain"},
                                              {Direction::Output, 12, "a, \"b\""},
                                              {Direction::Input, 128, " pad"}});
    EXPECT_EQ(text, kHeaderLine + "input,1,Plain\r\noutput,12,\"a, \"\"b\"\"\"\r\n"
                                  "input,128,\" pad\"\r\n");
}

TEST(NamesCsvTest, SpreadsheetExportWithMarkLfAndCapitalsIsRead)
{
    const NamesCsv::ReadResult read =
        NamesCsv::read("\xEF\xBB\xBF\"Direction\",Number,NAME\n\n,,\nInput, 7 ,\"x\"\n"
                       "OUTPUT,\"3\",y;z\n");
    EXPECT_TRUE(read.refused.empty());
    EXPECT_EQ(read.rows, (std::vector<NamesCsv::Row>{{Direction::Input, 7, "x"},
                                                     {Direction::Output, 3, "y;z"}}));
}

TEST(NamesCsvTest, EachBadLineIsRefusedWithItsNumberAndTheOthersAreKept)
{
    const std::vector<RefusedCase> cases = {
        {"empty file", "", 1, "bad header", 0},
        {"columns swapped", "name,number,direction\r\ninput,1,A\r\n", 1, "bad header", 0},
        {"two fields", kHeaderLine + "input,1,A\r\ninput,2\r\n", 3, "wrong field count", 1},
        {"direction", kHeaderLine + "inlet,1,A\r\noutput,1,B\r\n", 2, "unknown direction", 1},
        {"number 0", kHeaderLine + "input,0,A\r\n", 2, "number \"0\"", 0},
        {"latin-1 byte", kHeaderLine + "input,1,R\xE9gie\r\ninput,2,B\r\n", 2, "invalid UTF-8", 1},
        {"open quote", kHeaderLine + "input,1,\"Cam\r\ninput,2,B\r\n", 2, "unterminated quote", 1},
        {"stray quote", kHeaderLine + "input,1,Cam\"era\r\n", 2, "quote inside", 0},
        {"twice named", kHeaderLine + "input,4,A\r\nINPUT,4,B\r\noutput,4,C\r\n", 3,
         "input 4 is named", 2},
    };
    for (const RefusedCase &c : cases) {
        SCOPED_TRACE(c.label);
        const NamesCsv::ReadResult read = NamesCsv::read(c.body);
        ASSERT_EQ(read.refused.size(), 1u);
        EXPECT_EQ(read.refused[0].line, c.line);
        EXPECT_EQ(read.refused[0].reason.rfind(c.reasonStart, 0), 0u) << read.refused[0].reason;
        EXPECT_EQ(read.rows.size(), c.rowsKept);
    }
}

#include "config/MacroStore.h"

#include "support/ScriptedPlatform.h"
#include "util/RuntimeError.h"

#include <gtest/gtest.h>

using namespace corvantis;

namespace {

using Steps = std::vector<std::uint32_t>;

class MacroStoreTest : public ::testing::Test {
protected:
    // Feeds the lines that follow "Begin Macros"; returns how many the store consumed.
    int load(const std::vector<std::string> &lines)
    {
        std::size_t next = 0;
        std::int32_t counter = 0;
        m_store.LoadMacros(
            [&]() -> std::optional<std::string> {
                if (next >= lines.size())
                    return std::nullopt;
                return lines[next++];
            },
            counter);
        EXPECT_EQ(counter, static_cast<std::int32_t>(next));
        return counter;
    }

    test::ScriptedPlatform m_platform;
    MacroStore m_store;
};

} // namespace

TEST_F(MacroStoreTest, SavedSectionHasTheFileFormatAndSkipsEmptyPlaces)
{
    EXPECT_EQ(m_store.SaveMacros(), "Begin Macros\r\nEnd Macros\r\n");

    m_store.SetMacroName(3, "Stage");
    m_store.SetMacro(3, Steps{MacroStep::Pack(0, 4, 2, 3), MacroStep::Pack(1, 0, 255, 1)});
    m_store.SetMacroName(12, "Nothing yet");
    m_store.SetMacro(12, Steps{});
    m_store.SetMacroName(20, "Named but empty");
    EXPECT_EQ(m_store.SaveMacros(), "Begin Macros\r\n"
                                    "  Macro 03: Stage; {0, 4} = {2, 3}; {1, 0} = {255, 1}; \r\n"
                                    "  Macro 12: Nothing yet; \r\n"
                                    "End Macros\r\n");
}

TEST_F(MacroStoreTest, LoadReplacesEveryMacroAndStopsAtEndMacros)
{
    m_store.SetMacroName(7, "Old");
    m_store.SetMacro(7, Steps{1});
    EXPECT_EQ(load({"End Macros", "  Macro 01: After the section; "}), 1);
    EXPECT_EQ(m_store.SaveMacros(), "Begin Macros\r\nEnd Macros\r\n");

    // Only the exact text ends the section; a file without it is read to its end.
    EXPECT_EQ(load({"End Macros ", "  Macro 02: Two; "}), 2);
    EXPECT_EQ(m_store.MacroName(2), "Two");
}

TEST_F(MacroStoreTest, InvalidStepsAreSkippedAndTheRestOfTheLineLoads)
{
    load({"  Macro 04: Mixed ; {0, 1} = {255, 1}; {0, 2} = {200, 1}; {0, 3} = {1, 0}; "
          "{0, 4} = {1, 4}; {16, 5} = {1, 1}; {15, 128} = {1, 1}; {15, 127} = {127, 3}; ",
          "End Macros"});
    EXPECT_EQ(m_store.MacroName(4), "Mixed");
    EXPECT_EQ(m_store.Macro(4),
              (Steps{MacroStep::Pack(0, 1, 255, 1), MacroStep::Pack(15, 127, 127, 3)}));
    EXPECT_TRUE(m_platform.messages.empty());

    // An empty field ends the line; a number outside a byte is reported and loses its step.
    load({"  Macro 05: Gap; {0, 1} = {2, 1}; ; {0, 2} = {2, 1}; ",
          "  Macro 06: Big; {0, 1} = {2, 1}; {0, 256} = {2, 1}; {-1, 2} = {2, 1}; "
          "{0, 3} = {1e9, 1}; {0, 4} = {2, 2}; ",
          "End Macros"});
    EXPECT_EQ(m_store.Macro(5), Steps{MacroStep::Pack(0, 1, 2, 1)});
    EXPECT_EQ(m_store.Macro(6), (Steps{MacroStep::Pack(0, 1, 2, 1), MacroStep::Pack(0, 4, 2, 2)}));
    EXPECT_EQ(m_platform.messageTexts(), std::vector<std::string>(3, "Error: Overflow"));
}

TEST_F(MacroStoreTest, MacroNumberComesFromTheLastTwoCharactersOfTheKey)
{
    load({"  Macro 50: Too far; {0, 1} = {2, 1}; ", "Macro -1: Negative; ", "", "Preset 7",
          "  MACRO 49: Upper: with colon; {1, 1} = {1, 1}; ", "End Macros"});
    EXPECT_EQ(m_store.MacroName(0), "");
    EXPECT_EQ(m_store.Macro(0), Steps{});
    EXPECT_EQ(m_store.MacroName(7), "");
    EXPECT_EQ(m_store.MacroName(49), "Upper: with colon");
    EXPECT_EQ(m_store.Macro(49), Steps{MacroStep::Pack(1, 1, 1, 1)});
    EXPECT_THROW(m_store.MacroName(50), RuntimeError);
    EXPECT_THROW(m_store.SetMacro(-1, Steps{}), RuntimeError);
}

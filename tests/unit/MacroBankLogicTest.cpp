#include "config/MacroBankLogic.h"

#include "config/MacroPlayback.h"
#include "config/MacroRecording.h"
#include "config/MacroStore.h"
#include "support/ScriptedPlatform.h"
#include "util/RuntimeError.h"
#include "util/clsDebug.h"

#include <gtest/gtest.h>

using namespace corvantis;

namespace {

using Outcome = MacroBankLogic::Outcome;
using Steps = std::vector<std::uint32_t>;

class MacroBankLogicTest : public ::testing::Test {
protected:
    void SetUp() override { DebugLog().SetEnable(false); }
    void TearDown() override { EXPECT_TRUE(m_platform.unexpected.empty()); }

    test::ScriptedPlatform m_platform;
    MacroStore m_store;
    MacroRecording m_recording;
    MacroBankLogic m_logic{m_store, m_recording};
};

} // namespace

TEST_F(MacroBankLogicTest, RecordButtonWalksRecordPendingAndAsksBeforeDroppingARecording)
{
    m_recording.ClearRecording();
    m_recording.RecordRoute(0, 1, 1, 3);
    m_logic.RecordButtonClicked();
    EXPECT_EQ(std::tuple(m_logic.recordButtonCaption(), m_logic.recordLabelCaption(),
                         m_logic.helpTopic()),
              std::tuple(std::string("Save Macro"), std::string("Recording"), 1003));
    EXPECT_TRUE(m_recording.steps().empty());

    m_recording.RecordRoute(0, 1, 1, 3);
    m_logic.RecordButtonClicked();
    EXPECT_EQ(std::pair(m_logic.recordButtonCaption(), m_logic.recordLabelCaption()),
              std::pair(std::string("Cancel Macro"), std::string("Pending Save")));
    m_platform.answers = {MessageAnswer::No, MessageAnswer::Yes};
    m_logic.RecordButtonClicked();
    EXPECT_EQ(m_logic.RecordMode(), -1);
    m_logic.RecordButtonClicked();
    EXPECT_EQ(m_logic.RecordMode(), 0);
    EXPECT_EQ(m_platform.messageTexts()[0], "Next: click a macro button to save these routes");
    EXPECT_EQ(m_logic.recordButtonCaption(), "Record Macro");
}

TEST_F(MacroBankLogicTest, ButtonsShowTheSevenPlacesFromTheTop)
{
    m_store.SetMacroName(43, "Stage");
    m_store.SetMacro(43, Steps{});
    m_store.SetMacroName(49, "Last");
    m_logic.setMacroTop(60);
    EXPECT_EQ(m_logic.MacroTop(), 43);
    EXPECT_EQ((std::vector{m_logic.caption(0), m_logic.caption(1), m_logic.caption(6)}),
              (std::vector<std::string>{"44: Stage", "45: < unassigned >", "50: Last"}));
    // Idle, an unassigned button does nothing; without a file it needs a recording first.
    EXPECT_EQ(m_logic.MacroButtonClicked(1, true).outcome, Outcome::Nothing);
    EXPECT_EQ(m_logic.MacroButtonClicked(0, false).outcome, Outcome::Refused);
    EXPECT_EQ(
        m_platform.messageTexts(),
        std::vector<std::string>{"Please record your macro before selecting a button to save to."});
    const auto play = m_logic.MacroButtonClicked(0, true);
    EXPECT_EQ(std::pair(play.outcome, play.number), std::pair(Outcome::Play, 43));
}

TEST_F(MacroBankLogicTest, NamesAreTakenAsTheFileWillReadThemBack)
{
    m_store.SetMacroName(5, "House");
    m_logic.SetRecordMode(1);
    m_recording.RecordRoute(0, 1, 1, 3);
    m_logic.SetRecordMode(-1);
    m_platform.controlDown = true; // a pending save wins over a rename
    for (const char *refused : {"< unassigned >", "Two\r\nEnd Macros", "Front; Back", "House"})
        m_platform.inputAnswers.push_back(refused);
    m_platform.inputAnswers.push_back("   ");
    m_platform.inputAnswers.push_back(std::nullopt);
    m_platform.inputAnswers.push_back("  Spaced  ");
    for (int click = 0; click < 6; ++click)
        EXPECT_EQ(m_logic.MacroButtonClicked(0, true).outcome, Outcome::Refused);
    EXPECT_EQ(m_platform.messageTexts(),
              (std::vector<std::string>{
                  "Please pick a more descriptive name",
                  "No line breaks or other control characters allowed in the macro name",
                  "No semicolons (;) allowed in the macro name", "This name is already in use."}));
    EXPECT_EQ(m_platform.beeps, 2) << "blanks alone are no name; a cancelled box beeps";
    EXPECT_EQ(m_logic.RecordMode(), -1);

    EXPECT_EQ(m_logic.MacroButtonClicked(0, true).outcome, Outcome::Saved);
    EXPECT_EQ(m_store.MacroName(0), "Spaced");
    EXPECT_EQ(m_platform.inputPrompts.back(), "Enter the name for this new macro");
}

TEST_F(MacroBankLogicTest, RenameChangesOnlyTheNameAndIsSilentWhenEmpty)
{
    m_store.SetMacroName(1, "Stage");
    m_store.SetMacro(1, Steps{MacroStep::Pack(0, 1, 2, 3)});
    m_logic.UpdateMacroButtons();
    m_platform.controlDown = true;
    m_platform.inputAnswers = {"", "Stage", "Main stage"};
    EXPECT_EQ(m_logic.MacroButtonClicked(1, true).outcome, Outcome::Refused);
    m_logic.MacroButtonClicked(1, true); // its own name is no duplicate
    EXPECT_EQ(m_logic.MacroButtonClicked(1, true).outcome, Outcome::Renamed);
    EXPECT_TRUE(m_platform.messages.empty());
    EXPECT_EQ(m_logic.caption(1), "Main stage");
    EXPECT_EQ(*m_store.Macro(1), Steps{MacroStep::Pack(0, 1, 2, 3)});
}

// A route recorded again moves to the end with its new level; another input is another route.
TEST_F(MacroBankLogicTest, ARouteRecordedAgainMovesToTheEndWithItsNewLevel)
{
    m_recording.ClearRecording();
    m_recording.RecordRoute(1, 4, -1, 3);
    m_recording.RecordRoute(0, 2, 5, 1);
    m_recording.RecordRoute(1, 4, 255, 2); // no input, written either way
    m_recording.RecordRoute(0, 2, 6, 1);
    EXPECT_EQ(m_recording.steps(),
              (Steps{MacroStep::Pack(0, 2, 5, 1), MacroStep::Pack(1, 4, 255, 2),
                     MacroStep::Pack(0, 2, 6, 1)}));
}

namespace {

// Logs what the window would do, in order; one step throws.
class LoggingPlayback : public MacroPlayback {
public:
    std::vector<std::string> calls;

protected:
    void EnableButtons(bool on) override { calls.push_back(on ? "enable" : "disable"); }
    void setBulkRouting(bool on) override { calls.push_back(on ? "bulk" : "unbulk"); }
    Task<void> RouteStep(int frame, int output, int input, int level) override
    {
        calls.push_back(std::to_string(frame) + "/" + std::to_string(output) + "/" +
                        std::to_string(input) + "/" + std::to_string(level));
        if (frame == 15)
            throw RuntimeError(kSubscriptOutOfRange);
        co_return;
    }
};

} // namespace

TEST_F(MacroBankLogicTest, PlaybackGoesOnAfterAFailingStepAndAlwaysRestoresTheButtons)
{
    m_store.SetMacro(4, Steps{MacroStep::Pack(0, 4, 2, 3), MacroStep::Pack(15, 0, 255, 1),
                              MacroStep::Pack(1, 127, 127, 2)});
    LoggingPlayback playback;
    // Steps that never wait: the whole macro runs within start().
    Task<void> play = playback.PlayMacro(m_store, 4);
    play.start([] {});
    ASSERT_TRUE(play.done());
    EXPECT_EQ(playback.calls, (std::vector<std::string>{"disable", "bulk", "0/4/2/3", "15/0/-1/1",
                                                        "1/127/127/2", "enable", "unbulk"}));
    EXPECT_EQ(m_platform.messageTexts(), std::vector<std::string>{"Error: Subscript out of range"});
}

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

    // Record mode 1, the routes, then the record button's second press (-1).
    void recordAndStop(const std::vector<std::array<int, 4>> &routes)
    {
        m_logic.RecordButtonClicked();
        for (const auto &r : routes)
            m_recording.RecordRoute(r[0], r[1], r[2], r[3]);
        m_logic.RecordButtonClicked();
        m_platform.clear();
    }

    test::ScriptedPlatform m_platform;
    MacroStore m_store;
    MacroRecording m_recording;
    MacroBankLogic m_logic{m_store, m_recording};
};

} // namespace

TEST_F(MacroBankLogicTest, RecordModeShowsItsCaptionsLabelAndHelpTopic)
{
    EXPECT_EQ(m_logic.recordButtonCaption(), "Record Macro");
    EXPECT_FALSE(m_logic.recordLabelVisible());
    EXPECT_EQ(m_logic.helpTopic(), 1001);

    m_recording.ClearRecording();
    m_recording.RecordRoute(0, 1, 1, 3);
    m_logic.SetRecordMode(1);
    EXPECT_EQ(m_recording.RecordMode(), 1);
    EXPECT_EQ(m_logic.recordButtonCaption(), "Save Macro");
    EXPECT_EQ(m_logic.recordLabelCaption(), "Recording");
    EXPECT_TRUE(m_logic.recordLabelVisible());
    EXPECT_EQ(m_logic.helpTopic(), 1003);
    EXPECT_TRUE(m_recording.steps().empty()) << "recording starts afresh";

    m_recording.RecordRoute(0, 1, 1, 3);
    m_logic.SetRecordMode(-1);
    EXPECT_EQ(m_logic.recordButtonCaption(), "Cancel Macro");
    EXPECT_EQ(m_logic.recordLabelCaption(), "Pending Save");
    EXPECT_TRUE(m_logic.recordLabelVisible());
    EXPECT_EQ(m_logic.helpTopic(), 1003) << "waiting for a button is still recording help";
    EXPECT_EQ(m_recording.steps().size(), 1u);

    m_logic.SetRecordMode(0);
    EXPECT_EQ(m_logic.recordButtonCaption(), "Record Macro");
    EXPECT_FALSE(m_logic.recordLabelVisible());
    EXPECT_EQ(m_logic.helpTopic(), 1001);
    EXPECT_EQ(m_recording.steps().size(), 1u) << "saving or discarding keeps the steps";
}

TEST_F(MacroBankLogicTest, RecordButtonWalksThroughItsThreeStates)
{
    m_logic.RecordButtonClicked();
    EXPECT_EQ(m_logic.RecordMode(), 1);
    EXPECT_TRUE(m_platform.messages.empty());

    m_logic.RecordButtonClicked();
    EXPECT_EQ(m_logic.RecordMode(), -1);
    ASSERT_EQ(m_platform.messages.size(), 1u);
    EXPECT_EQ(m_platform.messages[0].text, "Next: click a macro button to save these routes");
    EXPECT_EQ(m_platform.messages[0].title, "Corvantis");
    EXPECT_EQ(m_platform.messages[0].buttons, MessageButtons::Ok);

    m_platform.answers.push_back(MessageAnswer::No);
    m_logic.RecordButtonClicked();
    EXPECT_EQ(m_logic.RecordMode(), -1);
    EXPECT_EQ(m_platform.messages[1].text, "The last macro has not been saved yet. Cancel Save?");
    EXPECT_EQ(m_platform.messages[1].title, "Overwrite Macro");
    EXPECT_EQ(m_platform.messages[1].buttons, MessageButtons::YesNo);

    m_platform.answers.push_back(MessageAnswer::Yes);
    m_logic.RecordButtonClicked();
    EXPECT_EQ(m_logic.RecordMode(), 0);
    EXPECT_FALSE(m_store.Macro(0).has_value()) << "a discarded recording goes nowhere";
}

TEST_F(MacroBankLogicTest, CaptionsFollowTheTopAndTheTopStaysInRange)
{
    EXPECT_EQ(m_logic.caption(0), "1: < unassigned >");
    m_store.SetMacroName(49, "Last");
    m_logic.setMacroTop(43);
    EXPECT_EQ(m_logic.caption(0), "44: < unassigned >");
    EXPECT_EQ(m_logic.caption(6), "50: Last");
    m_logic.setMacroTop(44);
    EXPECT_EQ(m_logic.MacroTop(), 43);
    m_logic.setMacroTop(-1);
    EXPECT_EQ(m_logic.MacroTop(), 0);
    EXPECT_EQ(m_logic.caption(7), "");
}

TEST_F(MacroBankLogicTest, UnassignedButtonDoesNothingWhenIdleButPlaysWhileRecording)
{
    m_recording.ClearRecording();
    EXPECT_EQ(m_logic.MacroButtonClicked(2, false).outcome, Outcome::Nothing);
    EXPECT_TRUE(m_platform.messages.empty());
    EXPECT_TRUE(m_platform.inputPrompts.empty());

    m_logic.SetRecordMode(1);
    m_recording.RecordRoute(0, 1, 2, 3);
    const auto click = m_logic.MacroButtonClicked(2, false);
    EXPECT_EQ(click.outcome, Outcome::Play);
    EXPECT_EQ(click.number, 2);
}

TEST_F(MacroBankLogicTest, WithoutAFileAButtonNeedsARecordingFirst)
{
    m_store.SetMacroName(0, "Stage");
    m_store.SetMacro(0, Steps{});
    m_logic.UpdateMacroButtons();
    EXPECT_EQ(m_logic.MacroButtonClicked(0, false).outcome, Outcome::Refused);
    ASSERT_EQ(m_platform.messages.size(), 1u);
    EXPECT_EQ(m_platform.messages[0].text,
              "Please record your macro before selecting a button to save to.");
    EXPECT_EQ(m_platform.messages[0].title, "Macro Record Error");

    EXPECT_EQ(m_logic.MacroButtonClicked(0, true).outcome, Outcome::Play);
}

TEST_F(MacroBankLogicTest, SaveStoresTheStepsAndShowsTheBareNameUntilRedrawn)
{
    recordAndStop({{0, 4, 2, 3}, {1, 0, -1, 1}});
    m_platform.inputAnswers.push_back("Stage");
    const auto click = m_logic.MacroButtonClicked(2, false);
    EXPECT_EQ(click.outcome, Outcome::Saved);
    EXPECT_EQ(click.number, 2);
    ASSERT_TRUE(m_store.Macro(2).has_value());
    EXPECT_EQ(*m_store.Macro(2),
              (Steps{MacroStep::Pack(0, 4, 2, 3), MacroStep::Pack(1, 0, 255, 1)}));
    EXPECT_EQ(m_store.MacroName(2), "Stage");
    EXPECT_EQ(m_logic.caption(2), "Stage");
    EXPECT_EQ(m_logic.RecordMode(), 0);
    ASSERT_EQ(m_platform.inputPrompts.size(), 1u);
    EXPECT_EQ(m_platform.inputPrompts[0], "Enter the name for this new macro");
    m_logic.UpdateMacroButtons();
    EXPECT_EQ(m_logic.caption(2), "3: Stage");
}

TEST_F(MacroBankLogicTest, RefusedNamesKeepThePendingSave)
{
    m_store.SetMacroName(5, "Stage");
    m_store.SetMacro(5, Steps{});
    recordAndStop({{0, 1, 1, 3}});
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"< unassigned >", "Please pick a more descriptive name"},
        {"Front; Back", "No semicolons (;) allowed in the macro name"},
        {"Stage", "This name is already in use."},
        {"Two\r\nEnd Macros",
         "No line breaks or other control characters allowed in the macro name"},
    };
    for (const auto &[name, message] : cases) {
        m_platform.clear();
        m_platform.inputAnswers.push_back(name);
        EXPECT_EQ(m_logic.MacroButtonClicked(0, true).outcome, Outcome::Refused) << name;
        ASSERT_EQ(m_platform.messageTexts(), std::vector<std::string>{message}) << name;
        EXPECT_EQ(m_platform.messages[0].title, "Corvantis");
        EXPECT_EQ(m_logic.RecordMode(), -1);
        EXPECT_EQ(m_logic.recordLabelCaption(), "Pending Save");
        EXPECT_FALSE(m_store.Macro(0).has_value());
        EXPECT_EQ(m_logic.caption(0), "1: < unassigned >");
    }
    EXPECT_EQ(m_platform.beeps, 0);
}

TEST_F(MacroBankLogicTest, EmptyOrCancelledSaveBeepsAndKeepsWaiting)
{
    recordAndStop({{0, 1, 1, 3}});
    m_platform.inputAnswers.push_back(std::nullopt);
    m_platform.inputAnswers.push_back("   ");
    EXPECT_EQ(m_logic.MacroButtonClicked(0, true).outcome, Outcome::Refused);
    EXPECT_EQ(m_logic.MacroButtonClicked(0, true).outcome, Outcome::Refused);
    EXPECT_EQ(m_platform.beeps, 2);
    EXPECT_TRUE(m_platform.messages.empty());
    EXPECT_EQ(m_logic.RecordMode(), -1);

    m_platform.inputAnswers.push_back("  Spaced  ");
    EXPECT_EQ(m_logic.MacroButtonClicked(0, true).outcome, Outcome::Saved);
    EXPECT_EQ(m_store.MacroName(0), "Spaced") << "stored as it reads back from the file";
}

TEST_F(MacroBankLogicTest, SaveReplacesAMacroWithoutAsking)
{
    m_store.SetMacroName(3, "Old");
    m_store.SetMacro(3, Steps{MacroStep::Pack(9, 9, 9, 1)});
    m_logic.UpdateMacroButtons();
    recordAndStop({{0, 2, 3, 3}});
    m_platform.inputAnswers.push_back("Old");
    EXPECT_EQ(m_logic.MacroButtonClicked(3, true).outcome, Outcome::Saved);
    EXPECT_EQ(*m_store.Macro(3), Steps{MacroStep::Pack(0, 2, 3, 3)});
    EXPECT_TRUE(m_platform.messages.empty());
}

TEST_F(MacroBankLogicTest, ControlClickRenamesAnyMacroAndKeepsItsSteps)
{
    m_store.SetMacroName(1, "Stage");
    m_store.SetMacro(1, Steps{MacroStep::Pack(0, 1, 2, 3)});
    m_store.SetMacroName(2, "House");
    m_store.SetMacro(2, Steps{});
    m_logic.UpdateMacroButtons();
    m_platform.controlDown = true;

    m_platform.inputAnswers.push_back("House");
    EXPECT_EQ(m_logic.MacroButtonClicked(1, true).outcome, Outcome::Refused);
    EXPECT_EQ(m_platform.messageTexts(), std::vector<std::string>{"This name is already in use."});

    m_platform.clear();
    m_platform.inputAnswers.push_back("Stage");
    EXPECT_EQ(m_logic.MacroButtonClicked(1, true).outcome, Outcome::Renamed)
        << "its own name is not another macro's";
    m_platform.inputAnswers.push_back("");
    EXPECT_EQ(m_logic.MacroButtonClicked(1, true).outcome, Outcome::Refused);
    EXPECT_EQ(m_platform.beeps, 0) << "an empty rename is silent";
    EXPECT_TRUE(m_platform.messages.empty());

    m_platform.inputAnswers.push_back("Main stage");
    EXPECT_EQ(m_logic.MacroButtonClicked(1, true).outcome, Outcome::Renamed);
    EXPECT_EQ(m_store.MacroName(1), "Main stage");
    EXPECT_EQ(m_logic.caption(1), "Main stage");
    EXPECT_EQ(*m_store.Macro(1), Steps{MacroStep::Pack(0, 1, 2, 3)});
    EXPECT_EQ(m_platform.inputPrompts.back(), "Enter the name for this macro");

    // While recording an unassigned place can be named too, and the recording goes on.
    m_logic.SetRecordMode(1);
    m_recording.RecordRoute(0, 0, 0, 3);
    m_platform.inputAnswers.push_back("Spare");
    EXPECT_EQ(m_logic.MacroButtonClicked(6, true).outcome, Outcome::Renamed);
    EXPECT_EQ(m_store.MacroName(6), "Spare");
    EXPECT_FALSE(m_store.Macro(6).has_value());
    EXPECT_EQ(m_logic.RecordMode(), 1);
}

TEST_F(MacroBankLogicTest, WaitingForAButtonSavesEvenWithControlHeld)
{
    recordAndStop({{0, 1, 1, 3}});
    m_platform.controlDown = true;
    m_platform.inputAnswers.push_back("Held");
    EXPECT_EQ(m_logic.MacroButtonClicked(4, true).outcome, Outcome::Saved);
    EXPECT_EQ(m_platform.inputPrompts.back(), "Enter the name for this new macro");
}

TEST_F(MacroBankLogicTest, BadButtonIndexIsReportedUnderTheHandlersLabel)
{
    EXPECT_EQ(m_logic.MacroButtonClicked(7, true).outcome, Outcome::Refused);
    ASSERT_EQ(m_platform.messages.size(), 1u);
    EXPECT_EQ(m_platform.messages[0].text, "Error: Subscript out of range");
    EXPECT_EQ(m_platform.messages[0].title, "Function btnMacro_Click");
    EXPECT_EQ(m_platform.messages[0].icon, MessageIcon::Information);
}

namespace {

// Logs what the window would do, in order.
class LoggingPlayback : public MacroPlayback {
public:
    std::vector<std::string> calls;
    int throwAtStep = -1;
    bool enabled = true;
    bool bulk = false;

protected:
    void EnableButtons(bool on) override
    {
        enabled = on;
        calls.push_back(on ? "enable" : "disable");
    }
    void setBulkRouting(bool on) override
    {
        bulk = on;
        calls.push_back(on ? "bulk" : "unbulk");
    }
    void RouteStep(int frame, int output, int input, int level) override
    {
        calls.push_back(std::to_string(frame) + "/" + std::to_string(output) + "/" +
                        std::to_string(input) + "/" + std::to_string(level));
        if (static_cast<int>(calls.size()) - 3 == throwAtStep)
            throw RuntimeError(kSubscriptOutOfRange);
    }
};

} // namespace

TEST_F(MacroBankLogicTest, PlaybackRoutesEveryStepInOrderBetweenDisableAndEnable)
{
    m_store.SetMacro(4, Steps{MacroStep::Pack(0, 4, 2, 3), MacroStep::Pack(15, 0, 255, 1),
                              MacroStep::Pack(1, 127, 127, 2)});
    LoggingPlayback playback;
    playback.throwAtStep = 1;
    playback.PlayMacro(m_store, 4);
    EXPECT_EQ(playback.calls, (std::vector<std::string>{"disable", "bulk", "0/4/2/3", "15/0/-1/1",
                                                        "1/127/127/2", "enable", "unbulk"}));
    EXPECT_EQ(m_platform.messageTexts(), std::vector<std::string>{"Error: Subscript out of range"})
        << "the failing step is reported and the next one follows";
    EXPECT_EQ(m_platform.messages[0].title, "Function btnMacro_Click");
}

TEST_F(MacroBankLogicTest, PlayingNothingOrABadNumberStillRestoresTheButtons)
{
    LoggingPlayback playback;
    playback.PlayMacro(m_store, 9);
    EXPECT_EQ(playback.calls, (std::vector<std::string>{"disable", "bulk", "enable", "unbulk"}));
    playback.PlayMacro(m_store, 50);
    EXPECT_TRUE(playback.enabled);
    EXPECT_FALSE(playback.bulk);
    EXPECT_EQ(m_platform.messageTexts(), std::vector<std::string>{"Error: Subscript out of range"});
}

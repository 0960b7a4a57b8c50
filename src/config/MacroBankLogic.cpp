#include "config/MacroBankLogic.h"

#include "config/MacroRecording.h"
#include "config/MacroStore.h"
#include "model/NameRule.h"
#include "util/GeneralFunctions.h"
#include "util/Platform.h"
#include "util/ReportFailure.h"
#include "util/RuntimeError.h"
#include "util/Version.h"

#include <exception>
#include <string_view>

namespace corvantis {

namespace {

constexpr const char *kMacroLabel = "Function btnMacro_Click";
constexpr const char *kRecordLabel = "Function btnRecord_Click";
constexpr const char *kKind = "Macro";

constexpr const char *kNoRecording =
    "Please record your macro before selecting a button to save to.";
constexpr const char *kNoRecordingTitle = "Macro Record Error";
constexpr const char *kNextStep = "Next: click a macro button to save these routes";
constexpr const char *kCancelSave = "The last macro has not been saved yet. Cancel Save?";
constexpr const char *kCancelSaveTitle = "Overwrite Macro";
constexpr const char *kSavePrompt = "Enter the name for this new macro";
constexpr const char *kSaveTitle = "Save Macro";
constexpr const char *kRenamePrompt = "Enter the name for this macro";
constexpr const char *kRenameTitle = "Rename Macro";
constexpr const char *kNotDescriptive = "Please pick a more descriptive name";
constexpr const char *kNoSemicolons = "No semicolons (;) allowed in the macro name";
constexpr const char *kNoLineBreaks =
    "No line breaks or other control characters allowed in the macro name";
constexpr const char *kInUse = "This name is already in use.";

const std::string kEmpty;

void tell(const char *text, const char *title = kProgramTitle)
{
    platform().messageBox(text, title, MessageButtons::Ok, MessageIcon::None);
}

bool endsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

} // namespace

MacroBankLogic::MacroBankLogic(MacroStore &store, MacroRecording &recording)
    : m_store(store), m_recording(recording)
{
    UpdateMacroButtons();
}

void MacroBankLogic::SetRecordMode(std::int32_t mode)
{
    if (mode == -1) {
        m_recordLabelCaption = kPendingCaption;
    } else if (mode == 1) {
        m_recordLabelCaption = kRecordingCaption;
        m_helpTopic = kRecordingTopic;
        m_recording.ClearRecording();
    } else {
        m_helpTopic = kMainWindowTopic;
    }
    m_recordLabelVisible = mode != 0;
    if (mode == 1)
        m_recordButtonCaption = std::string("Save ") + kKind;
    else if (mode == -1)
        m_recordButtonCaption = std::string("Cancel ") + kKind;
    else
        m_recordButtonCaption = kIdleRecordCaption;
    m_recording.setRecordMode(mode);
}

std::int32_t MacroBankLogic::RecordMode() const
{
    return m_recording.RecordMode();
}

void MacroBankLogic::setMacroTop(int top)
{
    m_macroTop = std::clamp(top, 0, kMaxTop);
    UpdateMacroButtons();
}

void MacroBankLogic::UpdateMacroButtons()
{
    for (int i = 0; i < kButtons; ++i) {
        const int n = m_macroTop + i;
        m_captions[static_cast<std::size_t>(i)] =
            std::to_string(n + 1) + ": " + m_store.MacroName(n);
    }
}

const std::string &MacroBankLogic::caption(int button) const
{
    if (button < 0 || button >= kButtons)
        return kEmpty;
    return m_captions[static_cast<std::size_t>(button)];
}

void MacroBankLogic::RecordButtonClicked()
{
    try {
        switch (RecordMode()) {
        case -1:
            if (platform().messageBox(kCancelSave, kCancelSaveTitle, MessageButtons::YesNo,
                                      MessageIcon::None) == MessageAnswer::Yes)
                SetRecordMode(0);
            break;
        case 1:
            tell(kNextStep);
            SetRecordMode(-1);
            break;
        case 0:
            SetRecordMode(1);
            break;
        default:
            break;
        }
    } catch (const std::exception &error) {
        ReportFailure(kRecordLabel, error.what());
    }
}

MacroBankLogic::Click MacroBankLogic::MacroButtonClicked(int button, bool configFromFile)
{
    try {
        return clicked(button, configFromFile);
    } catch (const std::exception &error) {
        ReportFailure(kMacroLabel, error.what());
        return {Outcome::Refused, -1};
    }
}

MacroBankLogic::Click MacroBankLogic::clicked(int button, bool configFromFile)
{
    if (button < 0 || button >= kButtons)
        throw RuntimeError(kSubscriptOutOfRange);
    if (endsWith(caption(button), MacroStore::kUnassigned) && RecordMode() == 0)
        return {};
    if (!configFromFile && (!m_recording.exists() || m_recording.steps().empty())) {
        tell(kNoRecording, kNoRecordingTitle);
        return {Outcome::Refused, -1};
    }
    const int number = m_macroTop + button;
    if (RecordMode() == -1)
        return save(button, number);
    // The key's state now, not at the click: the click may have waited behind a route.
    if (platform().controlKeyDown())
        return rename(button, number);
    return {Outcome::Play, number};
}

MacroBankLogic::Click MacroBankLogic::save(int button, int number)
{
    const auto name = askName(kSavePrompt, kSaveTitle, m_store.MacroName(number));
    if (name.empty()) {
        platform().beep();
        return {Outcome::Refused, number};
    }
    if (const auto refusal = NameRefusal(m_store, number, name)) {
        tell(refusal->c_str());
        return {Outcome::Refused, number};
    }
    m_recording.StoreRecording(m_store, number);
    m_store.SetMacroName(number, name);
    m_captions[static_cast<std::size_t>(button)] = name;
    SetRecordMode(0);
    return {Outcome::Saved, number};
}

MacroBankLogic::Click MacroBankLogic::rename(int button, int number)
{
    const auto name = askName(kRenamePrompt, kRenameTitle, m_store.MacroName(number));
    if (name.empty())
        return {Outcome::Refused, number};
    if (const auto refusal = NameRefusal(m_store, number, name)) {
        tell(refusal->c_str());
        return {Outcome::Refused, number};
    }
    m_store.SetMacroName(number, name);
    m_captions[static_cast<std::size_t>(button)] = name;
    return {Outcome::Renamed, number};
}

std::optional<std::string> MacroBankLogic::NameRefusal(const MacroStore &store, int number,
                                                       const std::string &name)
{
    const auto trimmed = Trim(name);
    if (trimmed == MacroStore::kUnassigned)
        return kNotDescriptive;
    if (HasControlCharacter(trimmed))
        return kNoLineBreaks;
    if (!IsAcceptableName(trimmed))
        return kNoSemicolons;
    for (int other = 0; other < MacroStore::kCount; ++other) {
        if (other != number && store.MacroName(other) == trimmed)
            return kInUse;
    }
    return std::nullopt;
}

std::string MacroBankLogic::askName(const char *prompt, const char *title,
                                    const std::string &proposal)
{
    // Blanks around a name do not survive the file, and two names differing only in them
    // would read back as one.
    return Trim(platform().inputBox(prompt, title, proposal).value_or(std::string()));
}

} // namespace corvantis

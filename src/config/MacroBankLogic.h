#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace corvantis {

class MacroRecording;
class MacroStore;

// The decisions of the macro bank: record mode, the captions it shows, and what a click on
// the record button or on a macro button does (save, rename, play or nothing). It asks the
// operator through the platform seam; the window draws what it says after every call.
class MacroBankLogic {
public:
    static constexpr int kButtons = 7;
    // The first button shows macro 0 to 43, so the seven show any seven places of the 50.
    static constexpr int kMaxTop = 43;
    static constexpr int kLargeChange = 3;
    static constexpr int kMainWindowTopic = 1001;
    static constexpr int kRecordingTopic = 1003;

    static constexpr const char *kButtonToolTip = "Control-click the button to rename";
    static constexpr const char *kRecordToolTip = "Starts and stops recording";
    static constexpr const char *kRecordingCaption = "Recording";
    static constexpr const char *kPendingCaption = "Pending Save";
    static constexpr const char *kIdleRecordCaption = "Record Macro";

    enum class Outcome {
        Nothing, // the click does nothing at all
        Refused, // a message, a beep or a cancelled box: nothing changed
        Saved,   // the recording went into the macro
        Renamed, // only the name changed
        Play,    // the window is to replay the macro
    };
    struct Click {
        Outcome outcome = Outcome::Nothing;
        int number = -1;
    };

    MacroBankLogic(MacroStore &store, MacroRecording &recording);

    // The only way the record mode changes: 0 idle, 1 recording, -1 waiting for a button.
    void SetRecordMode(std::int32_t mode);
    std::int32_t RecordMode() const;

    // The macro number on the first button; clamped to 0 to 43, then the captions follow.
    int MacroTop() const { return m_macroTop; }
    void setMacroTop(int top);
    // "n: name" on each button, n counted from 1.
    void UpdateMacroButtons();

    // Index 0 to 6; another index gives an empty text.
    const std::string &caption(int button) const;
    const std::string &recordButtonCaption() const { return m_recordButtonCaption; }
    const std::string &recordLabelCaption() const { return m_recordLabelCaption; }
    bool recordLabelVisible() const { return m_recordLabelVisible; }
    int helpTopic() const { return m_helpTopic; }

    void RecordButtonClicked();
    // configFromFile: the configuration of this run came from a file.
    Click MacroButtonClicked(int button, bool configFromFile);

    // Why a name cannot be given to macro n (nullopt when it can). The name is taken as it
    // will read back from the file, without leading and trailing blanks.
    static std::optional<std::string> NameRefusal(const MacroStore &store, int number,
                                                  const std::string &name);

private:
    Click clicked(int button, bool configFromFile);
    Click save(int button, int number);
    Click rename(int button, int number);
    // The answer of a name box with its blanks trimmed; empty when cancelled.
    static std::string askName(const char *prompt, const char *title, const std::string &proposal);

    MacroStore &m_store;
    MacroRecording &m_recording;
    int m_macroTop = 0;
    std::array<std::string, kButtons> m_captions;
    std::string m_recordButtonCaption = kIdleRecordCaption;
    std::string m_recordLabelCaption = kRecordingCaption;
    bool m_recordLabelVisible = false;
    int m_helpTopic = kMainWindowTopic;
};

} // namespace corvantis

#pragma once

#include "util/Platform.h"

#include <deque>
#include <string>
#include <vector>

namespace corvantis::test {

// Records everything the program asks or tells the operator and answers from queues. A
// question with nothing queued for it is an unexpected prompt: it is recorded and answered
// with the dialog's cancel value; fixtures fail the test when any was recorded.
class ScriptedPlatform : public Platform {
public:
    struct Message {
        std::string text;
    };

    ScriptedPlatform();
    ~ScriptedPlatform() override;

    MessageAnswer messageBox(const std::string &text, const std::string &title,
                             MessageButtons buttons, MessageIcon icon) override;
    std::optional<std::string> inputBox(const std::string &prompt, const std::string &title,
                                        const std::string &defaultText) override;
    void beep() override { ++beeps; }
    std::string openFileDialog(const std::string &title, const std::string &filter,
                               const std::string &folder, const std::string &fileName) override;
    std::string saveFileDialog(const std::string &title, const std::string &filter,
                               const std::string &folder, const std::string &fileName) override;
    bool controlKeyDown() override { return controlDown; }
    bool shiftKeyDown() override { return false; }
    bool openDocument(const std::string &target) override;
    bool startProgram(const std::string &, const std::vector<std::string> &) override
    {
        return true;
    }
    std::string appDataFolder() override { return dataFolder; }
    std::string programFolder() override { return programDir; }

    // Texts of the message boxes shown so far.
    std::vector<std::string> messageTexts() const;
    void clear();

    std::vector<Message> messages;
    std::deque<MessageAnswer> answers;
    std::deque<std::optional<std::string>> inputAnswers;
    std::deque<std::string> fileAnswers;
    std::vector<std::string> inputPrompts;
    std::vector<std::string> openedDocuments;
    std::vector<std::string> unexpected;
    int beeps = 0;
    bool controlDown = false;
    std::string dataFolder;
    std::string programDir;
};

} // namespace corvantis::test

#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvantis {

enum class MessageIcon { None, Information, Exclamation, Critical, Question };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// Everything that asks the operator or the operating system. The windows install the Qt
// implementation; tests install a scripted one, so no test ever waits on a modal window.
class Platform {
public:
    virtual ~Platform() = default;

    virtual MessageAnswer messageBox(const std::string &text, const std::string &title,
                                     MessageButtons buttons, MessageIcon icon) = 0;
    // nullopt when the operator cancels.
    virtual std::optional<std::string> inputBox(const std::string &prompt, const std::string &title,
                                                const std::string &defaultText) = 0;
    virtual void beep() = 0;
    // The chosen path, or an empty text when the operator cancels.
    virtual std::string openFileDialog(const std::string &title, const std::string &filter,
                                       const std::string &folder, const std::string &fileName) = 0;
    virtual std::string saveFileDialog(const std::string &title, const std::string &filter,
                                       const std::string &folder, const std::string &fileName) = 0;
    virtual bool controlKeyDown() = 0;
    virtual bool shiftKeyDown() = 0;
    // Opens a document or link with its associated program; false when that failed.
    virtual bool openDocument(const std::string &target) = 0;
    // Starts a program directly, without a shell; false when it could not be started.
    virtual bool startProgram(const std::string &program,
                              const std::vector<std::string> &arguments) = 0;
    // The per-user data location, empty when there is none.
    virtual std::string appDataFolder() = 0;
    virtual std::string programFolder() = 0;
};

// Used where nothing else was installed (the virtual line, benchmarks): answers every
// question with its default and writes messages to standard error.
class HeadlessPlatform : public Platform {
public:
    MessageAnswer messageBox(const std::string &text, const std::string &title,
                             MessageButtons buttons, MessageIcon icon) override;
    std::optional<std::string> inputBox(const std::string &prompt, const std::string &title,
                                        const std::string &defaultText) override;
    void beep() override {}
    std::string openFileDialog(const std::string &, const std::string &, const std::string &,
                               const std::string &) override
    {
        return {};
    }
    std::string saveFileDialog(const std::string &, const std::string &, const std::string &,
                               const std::string &) override
    {
        return {};
    }
    bool controlKeyDown() override { return false; }
    bool shiftKeyDown() override { return false; }
    bool openDocument(const std::string &) override { return false; }
    bool startProgram(const std::string &, const std::vector<std::string> &) override
    {
        return false;
    }
    std::string appDataFolder() override;
    std::string programFolder() override;
};

// The one accessor for the seam. setPlatform(nullptr) goes back to the headless default.
Platform &platform();
void setPlatform(Platform *implementation);

} // namespace corvantis

#include "config/TextEditorCommand.h"

#include "util/GeneralFunctions.h"

#include <array>
#include <cstdlib>
#include <sstream>
#include <string_view>

namespace corvantis {

namespace {

constexpr std::array<std::string_view, 22> kTerminalEditors = {
    "vi", "vim",   "nvim",   "view", "nano", "pico", "ed",    "ex",  "joe",   "jed",  "jmacs",
    "mg", "micro", "mcedit", "ne",   "kak",  "hx",   "helix", "vis", "elvis", "less", "more"};

std::vector<std::string> words(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string word; stream >> word;)
        result.push_back(word);
    return result;
}

} // namespace

TextEditorCommand TextEditorCommand::For(const std::string &file, const Environment &environment,
                                         System system)
{
    if (system == System::Windows)
        return {"notepad.exe", {file}};
    if (system == System::MacOS)
        return {"open", {"-t", file}};
    for (const char *name : {"VISUAL", "EDITOR"}) {
        const auto value = environment ? environment(name) : std::nullopt;
        auto parts = words(value.value_or(std::string()));
        if (parts.empty())
            continue;
        if (NeedsTerminal(parts))
            continue;
        TextEditorCommand command{parts.front(), {parts.begin() + 1, parts.end()}};
        command.arguments.push_back(file);
        return command;
    }
    return {"xdg-open", {file}};
}

std::optional<std::string> TextEditorCommand::ProcessEnvironment(const char *name)
{
    if (const char *value = std::getenv(name))
        return std::string(value);
    return std::nullopt;
}

TextEditorCommand::System TextEditorCommand::HostSystem()
{
#if defined(_WIN32)
    return System::Windows;
#elif defined(__APPLE__)
    return System::MacOS;
#else
    return System::OtherUnix;
#endif
}

bool TextEditorCommand::NeedsTerminal(const std::vector<std::string> &command)
{
    if (command.empty())
        return false;
    const auto name = FileNameOf(command.front());
    for (const auto editor : kTerminalEditors) {
        if (name == editor)
            return true;
    }
    // Emacs opens a window of its own unless told to stay in the terminal.
    for (std::size_t i = 1; i < command.size(); ++i) {
        const auto &option = command[i];
        if (option == "-nw" || option == "-t" || option == "--tty")
            return true;
    }
    return false;
}

} // namespace corvantis

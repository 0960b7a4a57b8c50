#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvantis {

// How to open a text file in the platform's text editor, as a program and its arguments for
// starting it directly, without a shell.
//
// Windows: Notepad. macOS: "open -t", the default text editor. Elsewhere: the editor named by
// VISUAL, else by EDITOR, skipping one that needs a terminal (vi, nano, emacs -nw, ...), since
// the program has none to give it; failing both, xdg-open, the desktop's handler for the file.
// A variable is split at blanks into the program and its first arguments (no quoting).
struct TextEditorCommand {
    enum class System { Windows, MacOS, OtherUnix };
    using Environment = std::function<std::optional<std::string>(const char *name)>;

    std::string program;
    std::vector<std::string> arguments;

    static TextEditorCommand For(const std::string &file, const Environment &environment,
                                 System system = HostSystem());
    // The process environment.
    static std::optional<std::string> ProcessEnvironment(const char *name);
    static System HostSystem();
    // Editors that draw in a terminal and are useless started from a window.
    static bool NeedsTerminal(const std::vector<std::string> &command);
};

} // namespace corvantis

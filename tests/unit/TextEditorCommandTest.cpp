#include "config/TextEditorCommand.h"

#include <gtest/gtest.h>
#include <map>

using namespace corvantis;

namespace {

using System = TextEditorCommand::System;
using Args = std::vector<std::string>;

struct Case {
    System system;
    std::map<std::string, std::string> variables;
    const char *path;
    Args command; // program, then its arguments
};

} // namespace

TEST(TextEditorCommandTest, PlainGraphicalEditorForEachSystemAndEnvironment)
{
    const Case cases[] = {
        {System::Windows, {}, "C:\\data\\default.rcf", {"notepad.exe", "C:\\data\\default.rcf"}},
        {System::MacOS, {}, "/u/default.rcf", {"open", "-t", "/u/default.rcf"}},
        // A blank in the path stays one argument.
        {System::OtherUnix, {}, "/u/my config.rcf", {"xdg-open", "/u/my config.rcf"}},
        {System::OtherUnix, {{"EDITOR", "  code   --wait "}}, "/u/a", {"code", "--wait", "/u/a"}},
        // Terminal editors would open where no terminal is.
        {System::OtherUnix,
         {{"VISUAL", "/usr/bin/vim"}, {"EDITOR", "mousepad"}},
         "/u/a",
         {"mousepad", "/u/a"}},
        {System::OtherUnix, {{"EDITOR", "nano"}}, "/u/a", {"xdg-open", "/u/a"}},
    };
    for (const Case &c : cases) {
        const auto environment = [&c](const char *name) -> std::optional<std::string> {
            const auto hit = c.variables.find(name);
            return hit == c.variables.end() ? std::nullopt : std::optional(hit->second);
        };
        const auto command = TextEditorCommand::For(c.path, environment, c.system);
        Args got{command.program};
        got.insert(got.end(), command.arguments.begin(), command.arguments.end());
        EXPECT_EQ(got, c.command);
    }
}

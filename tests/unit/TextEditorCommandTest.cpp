#include "config/TextEditorCommand.h"

#include <gtest/gtest.h>
#include <map>

using namespace corvantis;

namespace {

using System = TextEditorCommand::System;
using Args = std::vector<std::string>;

TextEditorCommand::Environment environment(std::map<std::string, std::string> variables)
{
    return [variables](const char *name) -> std::optional<std::string> {
        const auto hit = variables.find(name);
        if (hit == variables.end())
            return std::nullopt;
        return hit->second;
    };
}

} // namespace

TEST(TextEditorCommandTest, EachSystemHasItsPlainEditor)
{
    const auto none = environment({});
    auto command = TextEditorCommand::For("C:\\data\\default.rcf", none, System::Windows);
    EXPECT_EQ(command.program, "notepad.exe");
    EXPECT_EQ(command.arguments, Args{"C:\\data\\default.rcf"});
    command = TextEditorCommand::For("/u/default.rcf", none, System::MacOS);
    EXPECT_EQ(command.program, "open");
    EXPECT_EQ(command.arguments, (Args{"-t", "/u/default.rcf"}));
    command = TextEditorCommand::For("/u/my config.rcf", none, System::OtherUnix);
    EXPECT_EQ(command.program, "xdg-open");
    EXPECT_EQ(command.arguments, Args{"/u/my config.rcf"})
        << "a blank in the path stays one argument";
}

TEST(TextEditorCommandTest, GraphicalEditorFromTheEnvironmentIsPreferred)
{
    auto command = TextEditorCommand::For(
        "/u/a.rcf", environment({{"VISUAL", "gedit"}, {"EDITOR", "kate"}}), System::OtherUnix);
    EXPECT_EQ(command.program, "gedit");
    EXPECT_EQ(command.arguments, Args{"/u/a.rcf"});

    command = TextEditorCommand::For("/u/a.rcf", environment({{"EDITOR", "  code   --wait "}}),
                                     System::OtherUnix);
    EXPECT_EQ(command.program, "code");
    EXPECT_EQ(command.arguments, (Args{"--wait", "/u/a.rcf"}));
}

TEST(TextEditorCommandTest, TerminalEditorsAreSkipped)
{
    auto command = TextEditorCommand::For(
        "/u/a.rcf", environment({{"VISUAL", "/usr/bin/vim"}, {"EDITOR", "mousepad"}}),
        System::OtherUnix);
    EXPECT_EQ(command.program, "mousepad");
    for (const char *editor : {"nano", "emacs -nw", "emacsclient -t", "", "   "}) {
        command = TextEditorCommand::For("/u/a.rcf", environment({{"EDITOR", editor}}),
                                         System::OtherUnix);
        EXPECT_EQ(command.program, "xdg-open") << editor;
    }
    command =
        TextEditorCommand::For("/u/a.rcf", environment({{"EDITOR", "emacs"}}), System::OtherUnix);
    EXPECT_EQ(command.program, "emacs");
}

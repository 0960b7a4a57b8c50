// GCC 12 resumes a coroutine at the wrong place when a co_await stands in the condition of an
// if, while, for or switch (the awaiting task never ends, or ends with the wrong value).
// Clang gets it right, so only this check keeps such a condition out of the program: await
// into a named value first.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string readAll(const std::filesystem::path &path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The conditions (text between the statement's parentheses, after any init-statement) that
// hold a co_await.
std::vector<std::string> awaitingConditions(const std::string &text)
{
    static const std::regex statement(R"(\b(if|while|for|switch)\s*\()");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), statement);
         it != std::sregex_iterator(); ++it) {
        std::size_t end = static_cast<std::size_t>(it->position() + it->length());
        int depth = 1;
        std::size_t lastSemicolon = end;
        for (std::size_t i = end; i < text.size() && depth > 0; ++i) {
            if (text[i] == '(')
                ++depth;
            else if (text[i] == ')')
                --depth;
            else if (text[i] == ';' && depth == 1)
                lastSemicolon = i + 1;
            end = i;
        }
        const std::string condition = text.substr(lastSemicolon, end - lastSemicolon);
        if (condition.find("co_await") != std::string::npos)
            found.push_back(condition);
    }
    return found;
}

TEST(CoroutineCondition, TheRuleSeesAnAwaitInAConditionButNotInAnInitStatement)
{
    EXPECT_EQ(awaitingConditions("if (!co_await open()) x();").size(), 1u);
    EXPECT_EQ(awaitingConditions("while (a &&\n co_await b()) {}").size(), 1u);
    EXPECT_TRUE(awaitingConditions("if (const bool r = co_await open(); !r) x();").empty());
    EXPECT_TRUE(awaitingConditions("const bool r = co_await open(); if (!r) x();").empty());
}

TEST(CoroutineCondition, NoConditionInTheProgramAwaits)
{
    for (const auto &entry :
         std::filesystem::recursive_directory_iterator(CORVANTIS_SOURCE_DIR "/src")) {
        const auto extension = entry.path().extension();
        if (extension != ".cpp" && extension != ".h")
            continue;
        for (const std::string &condition : awaitingConditions(readAll(entry.path())))
            ADD_FAILURE() << entry.path().string() << ": co_await in a condition: " << condition;
    }
}

} // namespace

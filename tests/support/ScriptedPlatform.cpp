#include "support/ScriptedPlatform.h"

namespace corvantis::test {

ScriptedPlatform::ScriptedPlatform()
{
    setPlatform(this);
}

ScriptedPlatform::~ScriptedPlatform()
{
    setPlatform(nullptr);
}

MessageAnswer ScriptedPlatform::messageBox(const std::string &text, const std::string &title,
                                           MessageButtons buttons, MessageIcon icon)
{
    messages.push_back({text, title, buttons, icon});
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    if (answers.empty()) {
        unexpected.push_back("question: " + text);
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
    }
    const auto answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPlatform::inputBox(const std::string &prompt,
                                                      const std::string &, const std::string &)
{
    inputPrompts.push_back(prompt);
    if (inputAnswers.empty()) {
        unexpected.push_back("input box: " + prompt);
        return std::nullopt;
    }
    auto answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

std::string ScriptedPlatform::openFileDialog(const std::string &title, const std::string &,
                                             const std::string &, const std::string &)
{
    if (fileAnswers.empty()) {
        unexpected.push_back("open dialog: " + title);
        return {};
    }
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::string ScriptedPlatform::saveFileDialog(const std::string &title, const std::string &filter,
                                             const std::string &folder, const std::string &fileName)
{
    return openFileDialog(title, filter, folder, fileName);
}

bool ScriptedPlatform::openDocument(const std::string &target)
{
    openedDocuments.push_back(target);
    return true;
}

std::vector<std::string> ScriptedPlatform::messageTexts() const
{
    std::vector<std::string> texts;
    for (const auto &m : messages)
        texts.push_back(m.text);
    return texts;
}

void ScriptedPlatform::clear()
{
    messages.clear();
    unexpected.clear();
    beeps = 0;
}

} // namespace corvantis::test

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

namespace {

// The next queued answer; with none queued the prompt was unexpected and gets the fallback.
template <typename Answer>
Answer take(std::deque<Answer> &queue, std::vector<std::string> &unexpected,
            const std::string &prompt, Answer fallback)
{
    if (queue.empty()) {
        unexpected.push_back(prompt);
        return fallback;
    }
    Answer answer = queue.front();
    queue.pop_front();
    return answer;
}

} // namespace

MessageAnswer ScriptedPlatform::messageBox(const std::string &text, const std::string &,
                                           MessageButtons buttons, MessageIcon)
{
    messages.push_back({text});
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return take(answers, unexpected, "question: " + text,
                buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel);
}

std::optional<std::string> ScriptedPlatform::inputBox(const std::string &prompt,
                                                      const std::string &, const std::string &)
{
    inputPrompts.push_back(prompt);
    return take(inputAnswers, unexpected, "input box: " + prompt, std::optional<std::string>());
}

std::string ScriptedPlatform::openFileDialog(const std::string &title, const std::string &,
                                             const std::string &, const std::string &)
{
    return take(fileAnswers, unexpected, "open dialog: " + title, std::string());
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

#include "util/ReportBudget.h"

#include "util/clsDebug.h"

namespace corvantis {

ReportBudget::ReportBudget(std::string title) : m_inner(platform()), m_title(std::move(title))
{
    setPlatform(this);
}

ReportBudget::~ReportBudget()
{
    setPlatform(&m_inner);
}

void ReportBudget::finish(const std::string &closing)
{
    std::string text;
    if (m_heldBack > 0) {
        text = std::to_string(m_heldBack) +
               " more messages were not shown (the debug log has them when it is on):";
        for (const auto &[kind, count] : m_kinds)
            text += "\n" + std::to_string(count) + " x " + kind;
        if (m_otherKinds > 0)
            text += "\n" + std::to_string(m_otherKinds) + " x other messages";
    }
    if (!closing.empty())
        text += (text.empty() ? "" : "\n\n") + closing;
    if (!text.empty())
        m_inner.messageBox(text, m_title, MessageButtons::Ok, MessageIcon::Information);
    m_heldBack = m_otherKinds = 0;
    m_kinds.clear();
}

MessageAnswer ReportBudget::messageBox(const std::string &text, const std::string &title,
                                       MessageButtons buttons, MessageIcon icon)
{
    if (buttons != MessageButtons::Ok)
        return m_inner.messageBox(text, title, buttons, icon);
    if (++m_reports <= kShown)
        return m_inner.messageBox(text, title, buttons, icon);
    ++m_heldBack;
    DebugLog().Log(text, {title});
    if (auto kind = m_kinds.find(text); kind != m_kinds.end())
        ++kind->second;
    else if (m_kinds.size() < kKinds)
        m_kinds.emplace(text, 1);
    else
        ++m_otherKinds;
    return MessageAnswer::Ok;
}

std::optional<std::string> ReportBudget::inputBox(const std::string &prompt,
                                                  const std::string &title,
                                                  const std::string &defaultText)
{
    return m_inner.inputBox(prompt, title, defaultText);
}

void ReportBudget::beep()
{
    m_inner.beep();
}

std::string ReportBudget::openFileDialog(const std::string &title, const std::string &filter,
                                         const std::string &folder, const std::string &fileName)
{
    return m_inner.openFileDialog(title, filter, folder, fileName);
}

std::string ReportBudget::saveFileDialog(const std::string &title, const std::string &filter,
                                         const std::string &folder, const std::string &fileName)
{
    return m_inner.saveFileDialog(title, filter, folder, fileName);
}

bool ReportBudget::controlKeyDown()
{
    return m_inner.controlKeyDown();
}

bool ReportBudget::shiftKeyDown()
{
    return m_inner.shiftKeyDown();
}

bool ReportBudget::openDocument(const std::string &target)
{
    return m_inner.openDocument(target);
}

bool ReportBudget::startProgram(const std::string &program,
                                const std::vector<std::string> &arguments)
{
    return m_inner.startProgram(program, arguments);
}

std::string ReportBudget::appDataFolder()
{
    return m_inner.appDataFolder();
}

std::string ReportBudget::programFolder()
{
    return m_inner.programFolder();
}

} // namespace corvantis

#pragma once

#include "util/Platform.h"

#include <cstddef>
#include <map>
#include <string>

namespace corvantis {

// Caps the message boxes of one operation, such as loading a file: the first kShown appear, the
// rest go to the debug log and one summary box at the end says how many of which kind were
// held back. While it lives it stands in for the platform, so reports raised deep inside (a
// router's own field checks) pass through it too. Questions are never held back.
class ReportBudget : public Platform {
public:
    static constexpr int kShown = 20;

    explicit ReportBudget(std::string title);
    ~ReportBudget() override;
    ReportBudget(const ReportBudget &) = delete;
    ReportBudget &operator=(const ReportBudget &) = delete;

    // Message boxes so far, shown or held back.
    int reports() const { return m_reports; }
    // The last `count` reports were notices, not problems of the input; they stay counted
    // against the budget.
    void excuse(int count) { m_excused += count; }
    int problems() const { return m_reports - m_excused; }
    // Shows what was held back and `closing`, in one box; nothing when both are empty.
    void finish(const std::string &closing);

    MessageAnswer messageBox(const std::string &text, const std::string &title,
                             MessageButtons buttons, MessageIcon icon) override;
    std::optional<std::string> inputBox(const std::string &prompt, const std::string &title,
                                        const std::string &defaultText) override;
    void beep() override;
    std::string openFileDialog(const std::string &title, const std::string &filter,
                               const std::string &folder, const std::string &fileName) override;
    std::string saveFileDialog(const std::string &title, const std::string &filter,
                               const std::string &folder, const std::string &fileName) override;
    bool controlKeyDown() override;
    bool shiftKeyDown() override;
    bool openDocument(const std::string &target) override;
    bool startProgram(const std::string &program,
                      const std::vector<std::string> &arguments) override;
    std::string appDataFolder() override;
    std::string programFolder() override;

private:
    // Distinct texts counted one by one; a hostile file cannot grow the tally without bound.
    static constexpr std::size_t kKinds = 8;

    Platform &m_inner;
    std::string m_title;
    int m_reports = 0;
    int m_excused = 0;
    int m_heldBack = 0;
    int m_otherKinds = 0;
    std::map<std::string, int> m_kinds;
};

} // namespace corvantis

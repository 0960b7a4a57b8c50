#pragma once

#include "config/MacroBankLogic.h"
#include "config/MacroPlayback.h"

#include <QObject>
#include <memory>

namespace corvantis {

class AppCore;
class RouteReport;
class MacroBar;

// The macro area of the main window brought to life: seven macro buttons with their scroll
// bar, the record button and label, and the "Macros" heading, whose double click opens the
// configuration file in a text editor. The decisions are MacroBankLogic's; replay goes through
// the core's action path, as a click on the grid does.
class MacroBank : public QObject, private MacroPlayback {
    Q_OBJECT

public:
    MacroBank(AppCore &core, MacroBar &bar, QObject *parent = nullptr);

    void SetRecordMode(int mode);
    void UpdateMacroButtons();
    // Replays macro n; the buttons end enabled and BulkRouting false.
    void PlayMacro(int number);
    // 1001 or, while a macro is being recorded, 1003.
    int helpTopic() const { return m_logic.helpTopic(); }
    const MacroBankLogic &logic() const { return m_logic; }
    // The file the heading's double click opens: the configuration in use, else the default.
    QString configurationFile() const;

signals:
    // A replay greys the window's buttons and gives them back at its end.
    void buttonsEnabled(bool enabled);
    // A macro is about to be replayed.
    void replayStarting();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void macroClicked(int button);
    void recordClicked();
    void scrolled(int value);
    void openConfigurationFile();
    void showState();

    void EnableButtons(bool enabled) override;
    void setBulkRouting(bool bulk) override;
    Task<void> RouteStep(int frameAddress, int output, int input, int level) override;

    AppCore &m_core;
    MacroBar &m_bar;
    MacroBankLogic m_logic;
    int m_shownMode = 0;
    // The running replay's routes, for its progress and summary.
    std::shared_ptr<RouteReport> m_report;
};

} // namespace corvantis

#pragma once

#include "config/MacroBankLogic.h"
#include "config/MacroPlayback.h"

#include <QObject>
#include <array>

class QLabel;
class QPushButton;
class QScrollBar;

namespace corvantis {

class AppCore;
class frmMainMatrix;

// The macro area of the main window brought to life: seven macro buttons with their scroll
// bar, the record button and label, and the "Macros" heading, whose double click opens the
// configuration file in a text editor. The decisions are MacroBankLogic's; replay goes through
// the window's Route, as a click on the grid does.
class MacroBank : public QObject, private MacroPlayback {
    Q_OBJECT

public:
    // Takes over the window's controls btnMacro_0 to btnMacro_6, VScrollMacro, btnRecord,
    // lblRecord and lblMacros, found by name.
    MacroBank(AppCore &core, frmMainMatrix &window);

    void SetRecordMode(int mode);
    void UpdateMacroButtons();
    // Replays macro n; the buttons end enabled and BulkRouting false.
    void PlayMacro(int number);
    // 1001 or, while a macro is being recorded, 1003.
    int helpTopic() const { return m_logic.helpTopic(); }
    const MacroBankLogic &logic() const { return m_logic; }
    // The file the heading's double click opens: the configuration in use, else the default.
    QString configurationFile() const;

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
    void RouteStep(int frameAddress, int output, int input, int level) override;

    AppCore &m_core;
    frmMainMatrix &m_window;
    MacroBankLogic m_logic;
    std::array<QPushButton *, MacroBankLogic::kButtons> m_btnMacro{};
    QScrollBar *m_vScrollMacro = nullptr;
    QPushButton *m_btnRecord = nullptr;
    QLabel *m_lblRecord = nullptr;
    QLabel *m_lblMacros = nullptr;
    int m_shownMode = 0;
};

} // namespace corvantis

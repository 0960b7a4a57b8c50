#pragma once

#include "ui/SwitchingPanel.h"

#include <QMainWindow>
#include <functional>
#include <string>

namespace corvantis {

class AppCore;
class CrosspointGrid;
class CrosspointPanel;
class LevelSelector;
class MacroBank;
class MacroBar;
class MainMenus;
class MainWindowHelp;
class NamesPanel;
class PanelListening;
class WebListening;
class TopBar;
class UpdateBar;

// The program's one main window, "Corvantis Pro": it composes the panels (the crosspoint
// grid with its selectors and scroll bars, the input and output names, the level selector,
// the link lamp, the macro bar, the RS-232 switching panel) and its menus. The state and the
// decisions live in AppCore; the panels present it.
//
// Every control's objectName is its name. Control arrays carry their index after an
// underscore: "txtIn_0" to "txtIn_15", "imgMIn_0" .. "imgMIn_15", "btnMacro_0" to
// "btnMacro_6", "imgLayerSel_0" to "imgLayerSel_2", and so on. The 256 crosspoint cells are
// one widget, "imgMatrix", whose cell k is view row k / 16 and view column k % 16.
class frmMainMatrix : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kSwitchingPanelHeight = SwitchingPanel::kHeight;

    explicit frmMainMatrix(AppCore &core, QWidget *parent = nullptr);
    ~frmMainMatrix() override;

    AppCore &core() const { return m_core; }
    // The window offers to run the control servers and the web panel when it is given their
    // choices.
    void setPanelListening(const QList<PanelListening *> &listening, WebListening *web);
    CrosspointGrid *grid() const;

    // The start-up: the question, then the load or the setup dialog and the rebuild. The
    // start-up status request follows as soon as the event loop runs, so the window can
    // paint first.
    void Form_Load();
    // The start with a file named on the command line: no question.
    void LoadAtStart(const std::string &path);
    void ReturnFromConfig();
    void EnableButtons(bool enabled);
    void UpdateDisplayMatrix();
    void ShowSwitchingPanel(bool shown);
    bool SwitchingPanelShown() const;

    void imgMatrix_Click(int cell);
    void imgMIn_Click(int viewRow);
    void imgLayerSel_Click(int index);

    void mnuLoadConfig_Click();
    void mnuSaveConfig_Click();
    void mnuSaveConfigAs_Click();
    void mnuSetup_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void connectPanels();
    void start(const std::function<void()> &chooseConfiguration);
    void scrolled(bool inputs, int offset);
    void commitEditing();

    AppCore &m_core;
    LevelSelector *m_levels = nullptr;
    TopBar *m_topBar = nullptr;
    CrosspointPanel *m_crosspoints = nullptr;
    NamesPanel *m_inputNames = nullptr;
    NamesPanel *m_outputNames = nullptr;
    MacroBar *m_macroBar = nullptr;
    UpdateBar *m_updateBar = nullptr;
    SwitchingPanel *m_switching = nullptr;

    MainMenus *m_menus = nullptr;

    MacroBank *m_macroBank = nullptr;
    MainWindowHelp *m_help = nullptr;

    int m_baseHeight = 0;
};

} // namespace corvantis

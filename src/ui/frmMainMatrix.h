#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <string>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace corvantis {

class AppCore;
class clsRouter;
class CrosspointGrid;
class MacroBank;
class MainWindowHelp;
class NumberLabel;
class PictureButton;
class ShapeLamp;

// The program's one main window, "Corvantis Pro": the crosspoint grid with its selectors and
// scroll bars, the input and output names, the level selectors, the link indicators, the
// macro area, the RS-232 switching panel and the menus. The state and the decisions live in
// AppCore; this window holds widgets and wiring.
//
// Every control's objectName is its name. Control arrays carry their index after an
// underscore: "txtIn_0" to "txtIn_15", "imgMIn_0" .. "imgMIn_15", "btnMacro_0" to
// "btnMacro_6", "imgLayerSel_0" to "imgLayerSel_2", and so on. The 256 crosspoint cells are
// one widget, "imgMatrix", whose cell k is view row k / 16 and view column k % 16.
class frmMainMatrix : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kViewSize = 16;
    static constexpr int kMacroButtons = 7;
    static constexpr int kLevels = 3;
    static constexpr int kCellSize = 26;
    // 1275 twips: what the window grows by while the RS-232 switching panel is shown.
    static constexpr int kSwitchingPanelHeight = 85;

    explicit frmMainMatrix(AppCore &core, QWidget *parent = nullptr);
    ~frmMainMatrix() override;

    AppCore &core() const { return m_core; }
    CrosspointGrid *grid() const { return m_grid; }

    // The start-up: the question, then the load or the setup dialog and the rebuild. The
    // start-up status request follows as soon as the event loop runs, so the window can
    // paint first.
    void Form_Load();
    // The start with a file named on the command line: no question.
    void LoadAtStart(const std::string &path);
    void ReturnFromConfig();
    void EnableButtons(bool enabled);
    void UpdateDisplayMatrix();
    void UpdateMatrixDisplayCol(clsRouter *router, int viewColumn, int physicalOutput);
    void UpdateDisplayNames(bool inputs, bool outputs);
    void ShowSwitchingPanel(bool shown);
    bool SwitchingPanelShown() const;

    void imgMatrix_Click(int cell);
    void imgMIn_Click(int viewRow);
    void imgLayerSel_Click(int index);
    void txtIn_LostFocus(int viewRow);
    void txtOut_LostFocus(int viewColumn);

    void mnuLoadConfig_Click();
    void mnuSaveConfig_Click();
    void mnuSaveConfigAs_Click();
    void mnuSetup_Click();
    void mnuRS_Click();
    void mnuIR_Click();
    void mnuFlashD_Click();
    void mnuFirmwareVersion_Click();
    void cmdUpdate_Click();
    void btnRsGo_Click();
    void btnRsNo_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildTopBar();
    QWidget *buildMatrixArea();
    QWidget *buildMacroArea();
    QWidget *buildBottomBar();
    QFrame *buildSwitchingPanel();
    void buildPictureSources();
    void buildMenus();
    void connectCore();
    void start(const std::function<void()> &chooseConfiguration);
    void ApplyColours();

    void VScroll_Change(int value);
    void HScroll_Change(int value);
    void stepAddress(int step);
    void sendStartupRequest();
    bool handleLevelKey(QObject *watched, QEvent *event);
    void commitFocusedName();
    void syncModeChecks();
    // A menu or button that talks to the routers, as an action on the core's path.
    void onLine(const char *title, std::function<void()> action);
    void rsSwitch(bool connect);
    QString describeCell(int cell) const;
    QString levelName() const;

    AppCore &m_core;

    CrosspointGrid *m_grid = nullptr;
    std::array<PictureButton *, 4> m_imgCPSource{};
    std::array<PictureButton *, kViewSize> m_imgMIn{};
    std::array<NumberLabel *, kViewSize> m_txtMIn{};
    std::array<PictureButton *, kViewSize> m_imgMOut{};
    std::array<QLabel *, kViewSize> m_lblMOut{};
    std::array<QLineEdit *, kViewSize> m_txtIn{};
    std::array<QLineEdit *, kViewSize> m_txtOut{};
    std::array<QLabel *, kViewSize> m_txtSOut{};
    std::array<PictureButton *, kViewSize> m_imgSOut{};
    QScrollBar *m_vScroll = nullptr;
    QScrollBar *m_hScroll = nullptr;
    std::array<PictureButton *, kLevels> m_imgLayerSel{};
    QLabel *m_lblLevel = nullptr;
    std::array<PictureButton *, kLevels> m_imgLayerUpSource{};
    std::array<PictureButton *, kLevels> m_imgLayerDownSource{};
    PictureButton *m_imgGreyInput = nullptr;
    PictureButton *m_imgMButtonUp = nullptr;
    QLabel *m_lblRouterType = nullptr;
    QLabel *m_lblRouterTypeShadow = nullptr;
    QPushButton *m_cmdUpdate = nullptr;
    std::array<QPushButton *, kMacroButtons> m_btnMacro{};
    QScrollBar *m_vScrollMacro = nullptr;
    QPushButton *m_btnRecord = nullptr;
    QLabel *m_lblMacros = nullptr;
    QLabel *m_lblRecord = nullptr;
    QLabel *m_txtStatus = nullptr;
    PictureButton *m_imgAlive = nullptr;
    ShapeLamp *m_shpAlive = nullptr;
    QLabel *m_txtErrMsg = nullptr;
    QFrame *m_fraRs232 = nullptr;
    QLineEdit *m_txtAddy = nullptr;
    QToolButton *m_updAddyUp = nullptr;
    QToolButton *m_updAddyDown = nullptr;
    QComboBox *m_cboRsIn = nullptr;
    QComboBox *m_cboRsOut = nullptr;
    QPushButton *m_btnRsGo = nullptr;
    QPushButton *m_btnRsNo = nullptr;

    QAction *m_mnuLoadConfig = nullptr;
    QAction *m_mnuSaveConfig = nullptr;
    QAction *m_mnuSaveConfigAs = nullptr;
    QAction *m_mnuSetup = nullptr;
    QAction *m_mnuExit = nullptr;
    QAction *m_mnuRS = nullptr;
    QAction *m_mnuIR = nullptr;
    QAction *m_mnuFlashD = nullptr;
    QAction *m_mnuHelp = nullptr;
    QAction *m_mnuFirmwareVersion = nullptr;
    QAction *m_mnuAbout = nullptr;

    MacroBank *m_macroBank = nullptr;
    MainWindowHelp *m_help = nullptr;

    int m_baseHeight = 0;
    bool m_committingName = false;
    bool m_closeRequested = false;
    // The key press being handed up the widget chain, so it counts once.
    const QEvent *m_levelKeyEvent = nullptr;
    QPointer<QObject> m_levelKeyReceiver;
};

} // namespace corvantis

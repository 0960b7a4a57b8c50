#include "ui/frmMainMatrix.h"

#include "core/AppCore.h"
#include "ui/CrosspointGrid.h"
#include "ui/CrosspointPanel.h"
#include "ui/LevelSelector.h"
#include "ui/MacroBank.h"
#include "ui/MacroBar.h"
#include "ui/MainWindowHelp.h"
#include "ui/MaintenanceDialogs.h"
#include "ui/NamesPanel.h"
#include "ui/ReportFailure.h"
#include "ui/Theme.h"
#include "ui/TopBar.h"
#include "ui/UpdateBar.h"
#include "ui/frmConfig.h"
#include "util/Platform.h"
#include "util/Version.h"
#include "util/clsDebug.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace corvantis {

namespace {

constexpr int kCloseRetryMs = 100;
constexpr int kStartupRetryMs = 50;

class IndentScope {
public:
    explicit IndentScope(const char *name) { DebugLog().IndentIncr(name); }
    ~IndentScope() { DebugLog().IndentDec(); }
    IndentScope(const IndentScope &) = delete;
    IndentScope &operator=(const IndentScope &) = delete;
};

} // namespace

frmMainMatrix::frmMainMatrix(AppCore &core, QWidget *parent) : QMainWindow(parent), m_core(core)
{
    setObjectName(QStringLiteral("frmMainMatrix"));
    setWindowTitle(QStringLiteral("Corvantis Pro"));
    setPalette(Theme::palette());
    setAutoFillBackground(true);

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    m_levels = new LevelSelector(m_core, central);
    m_topBar = new TopBar(m_core, m_levels, central);
    m_inputNames = new NamesPanel(m_core, AppCore::Side::Input, central);
    m_crosspoints = new CrosspointPanel(m_core, central);
    m_outputNames = new NamesPanel(m_core, AppCore::Side::Output, central);
    m_macroBar = new MacroBar(central);
    m_updateBar = new UpdateBar(m_core, central);
    m_switching = new SwitchingPanel(central);

    // The panels beside the grid line up with its rows.
    auto *matrix = new QHBoxLayout();
    matrix->setSpacing(0);
    matrix->addWidget(m_inputNames, 0, Qt::AlignTop);
    matrix->addSpacing(6);
    matrix->addWidget(m_crosspoints, 0, Qt::AlignTop);
    matrix->addSpacing(16);
    matrix->addWidget(m_outputNames, 0, Qt::AlignTop);
    matrix->addSpacing(22);
    matrix->addWidget(m_macroBar, 0, Qt::AlignTop);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(14, 10, 14, 0);
    layout->setSpacing(0);
    layout->addWidget(m_topBar);
    layout->addSpacing(6);
    layout->addLayout(matrix);
    layout->addSpacing(6);
    layout->addWidget(m_updateBar);
    layout->addSpacing(10);
    layout->addWidget(m_switching);
    setCentralWidget(central);
    addActions(m_levels->keyActions());
    buildMenus();
    m_macroBank = new MacroBank(m_core, *m_macroBar, this);
    m_help = new MainWindowHelp(*this, *m_mnuHelp, *m_mnuAbout,
                                [this] { return m_macroBank->helpTopic(); });
    connectPanels();

    // Keyboard order: the grid first, then the names, then the buttons below.
    QWidget *previous = grid();
    for (NamesPanel *names : {m_inputNames, m_outputNames})
        for (int i = 0; i < NamesPanel::kViewSize; ++i) {
            setTabOrder(previous, names->box(i));
            previous = names->box(i);
        }
    setTabOrder(previous, m_macroBar->macroButton(0));

    m_switching->hide();
    centralWidget()->layout()->activate();
    m_baseHeight = sizeHint().height();
    setFixedSize(sizeHint().width(), m_baseHeight);

    // The poll timer runs as long as the window exists.
    m_core.poller().start();
}

frmMainMatrix::~frmMainMatrix()
{
    m_core.poller().stop();
}

CrosspointGrid *frmMainMatrix::grid() const
{
    return m_crosspoints->grid();
}

void frmMainMatrix::buildMenus()
{
    auto action = [this](QMenu *menu, const QString &text, const char *name,
                         const QKeySequence &shortcut = {}) {
        auto *entry = menu->addAction(text);
        entry->setObjectName(QString::fromLatin1(name));
        if (!shortcut.isEmpty())
            entry->setShortcut(shortcut);
        return entry;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFileMenu"));
    connect(action(file, QStringLiteral("&Load Configuration..."), "mnuLoadConfig",
                   QKeySequence(Qt::CTRL | Qt::Key_L)),
            &QAction::triggered, this, &frmMainMatrix::mnuLoadConfig_Click);
    connect(action(file, QStringLiteral("&Save Configuration"), "mnuSaveConfig",
                   QKeySequence(Qt::CTRL | Qt::Key_S)),
            &QAction::triggered, this, &frmMainMatrix::mnuSaveConfig_Click);
    connect(action(file, QStringLiteral("Save Configuration &As..."), "mnuSaveConfigAs"),
            &QAction::triggered, this, &frmMainMatrix::mnuSaveConfigAs_Click);
    connect(action(file, QStringLiteral("Configure &Router..."), "mnuSetup",
                   QKeySequence(Qt::CTRL | Qt::Key_O)),
            &QAction::triggered, this, &frmMainMatrix::mnuSetup_Click);
    file->addSeparator();
    connect(action(file, QStringLiteral("&Exit"), "mnuExit"), &QAction::triggered, this,
            &QWidget::close);

    QMenu *data = menuBar()->addMenu(QStringLiteral("&Data"));
    data->setObjectName(QStringLiteral("mnuDataMenu"));
    MaintenanceCommands &maintenance = m_core.maintenance();
    m_mnuRS = action(data, QStringLiteral("Set &RS-232 Mode"), "mnuRS");
    m_mnuIR = action(data, QStringLiteral("Set &IR Mode"), "mnuIR");
    m_mnuRS->setCheckable(true);
    m_mnuIR->setCheckable(true);
    // A click toggles the mark; it is put back until the routers acknowledge the mode
    // (modeChecksChanged).
    connect(m_mnuRS, &QAction::triggered, this, [this, &maintenance] {
        onLine("Sub mnuRS_Click", [&maintenance] { maintenance.SetRs232Mode(); });
        syncModeChecks();
    });
    connect(m_mnuIR, &QAction::triggered, this, [this, &maintenance] {
        onLine("Sub mnuIR_Click", [&maintenance] { maintenance.SetIrMode(); });
        syncModeChecks();
    });
    connect(action(data, QStringLiteral("&Flash Data"), "mnuFlashD"), &QAction::triggered, this,
            [this, &maintenance] {
                onLine("Sub mnuFlashD_Click", [&maintenance] { maintenance.FlashData(); });
            });

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelpMenu"));
    m_mnuHelp = action(help, QStringLiteral("&Corvantis Help"), "mnuHelp");
    connect(action(help, QStringLiteral("&Firmware Version"), "mnuFirmwareVersion"),
            &QAction::triggered, this, [this, &maintenance] {
                onLine("Sub mnuFirmwareVersion_Click",
                       [&maintenance] { maintenance.FirmwareVersion(); });
            });
    m_mnuAbout = action(help, QStringLiteral("&About"), "mnuAbout");
}

void frmMainMatrix::connectPanels()
{
    connect(m_crosspoints, &CrosspointPanel::cellClicked, this, &frmMainMatrix::imgMatrix_Click);
    connect(m_crosspoints, &CrosspointPanel::inputSelectorClicked, this,
            &frmMainMatrix::imgMIn_Click);
    connect(m_crosspoints, &CrosspointPanel::inputsScrolled, this,
            [this](int offset) { scrolled(true, offset); });
    connect(m_crosspoints, &CrosspointPanel::outputsScrolled, this,
            [this](int offset) { scrolled(false, offset); });
    m_crosspoints->setNameSource([this](AppCore::Side side, int index) {
        return (side == AppCore::Side::Input ? m_inputNames : m_outputNames)->nameShown(index);
    });
    connect(m_updateBar, &UpdateBar::updateClicked, this,
            [this] { guarded("Sub cmdUpdate_Click", [this] { m_core.UpdateMatrix(); }); });
    connect(m_switching, &SwitchingPanel::switchRequested, this,
            [this](bool connect, const QString &address, int output, int input) {
                onLine(connect ? "Sub btnRsGo_Click" : "Sub btnRsNo_Click",
                       [this, connect, address, output, input] {
                           m_core.maintenance().RsSwitch(connect, address, output, input);
                       });
            });
    connect(m_macroBank, &MacroBank::buttonsEnabled, this, &frmMainMatrix::EnableButtons);
    // The grid starts at its first output, so the replayed routes are drawn where they land.
    connect(m_macroBank, &MacroBank::replayStarting, m_crosspoints,
            &CrosspointPanel::showOutputsFromStart);

    connect(&m_core.poller(), &StatusPoller::remoteCellClick, this, [this](int cell) {
        guarded("Function imgMatrix_Click", [this, cell] { m_core.RouteCell(cell, true); });
    });
    connect(&m_core.engine(), &RoutingEngine::statusApplied, this,
            &frmMainMatrix::UpdateDisplayMatrix);
    connect(&m_core, &AppCore::routeStatesChanged, this, &frmMainMatrix::UpdateDisplayMatrix);
    connect(&m_core, &AppCore::namesChanged, this, &frmMainMatrix::showNames);
    connect(&m_core, &AppCore::configurationReplaced, this, &frmMainMatrix::ReturnFromConfig);
    connect(&m_core, &AppCore::bulkRoutingChanged, this,
            [this](bool bulk) { EnableButtons(!bulk); });
    connect(&m_core.maintenance(), &MaintenanceCommands::modeChecksChanged, this,
            [this](bool, bool) { syncModeChecks(); });
}

// ---- start, rebuild and end ----

void frmMainMatrix::Form_Load()
{
    start([this] {
        const MessageAnswer answer =
            platform().messageBox("Do you want to load an existing configuration?", kProgramTitle,
                                  MessageButtons::YesNo, MessageIcon::None);
        if (answer == MessageAnswer::Yes) {
            mnuLoadConfig_Click();
            m_core.setConfigFromFile(true);
        } else {
            mnuSetup_Click();
            m_core.setConfigFromFile(false);
        }
    });
}

void frmMainMatrix::LoadAtStart(const std::string &path)
{
    start([this, path] {
        m_core.LoadConfigurationFrom(path);
        m_core.setConfigFromFile(true);
    });
}

void frmMainMatrix::start(const std::function<void()> &chooseConfiguration)
{
    IndentScope trace("Form_Load");
    try {
        m_core.ResetForStartup();
        m_macroBank->SetRecordMode(0);
        grid()->setAllPictures(0);
        m_levels->showLevel();
        chooseConfiguration();
        QTimer::singleShot(0, this, &frmMainMatrix::sendStartupRequest);
    } catch (const std::exception &error) {
        reportFailure("Function Form_Load", error, "Function frmMainMatrix.Form_Load");
    }
}

void frmMainMatrix::sendStartupRequest()
{
    // A click may already be talking to the line; the request waits its turn.
    if (m_core.link().CommBusy()) {
        QTimer::singleShot(kStartupRetryMs, this, &frmMainMatrix::sendStartupRequest);
        return;
    }
    m_core.poller().SendStartupRequest();
}

void frmMainMatrix::ReturnFromConfig()
{
    IndentScope trace("ReturnFromConfig");
    try {
        const AppCore::ViewLayout layout = m_core.Rebuild();
        m_crosspoints->applyLayout(layout);
        showNames();
        m_inputNames->applyLayout(layout.maxInput);
        m_outputNames->applyLayout(layout.maxOutput);
        m_topBar->setRouterLabel(QString::fromStdString(
            AppCore::RouterLabel(m_core.FamilyLabel(), layout.maxInput, layout.maxOutput)));
        m_macroBank->UpdateMacroButtons();
        m_levels->setVisible(layout.levelSelectors);
        m_switching->setPorts(layout.maxInput, layout.maxOutput);
        m_updateBar->setUpdateShown(layout.updateButton);
        ShowSwitchingPanel(layout.switchingPanel);
        m_core.OpenCommPort();
        // The markers show the route states of the routers now configured, not those of the
        // configuration before.
        UpdateDisplayMatrix();
    } catch (const std::exception &error) {
        reportFailure("Sub ReturnFromConfig", error, "Sub ReturnFromConfig");
    }
}

void frmMainMatrix::closeEvent(QCloseEvent *event)
{
    // A command or a bulk route is waiting for the line further down the stack; the window
    // closes once it has finished and the stack is back at the main loop, and a bulk route
    // stops at its next output. (Closing inside a wait would also lose the application's
    // quit: every wait starts an event loop, and a new loop drops a posted quit.)
    const bool nested = QThread::currentThread()->loopLevel() > 1;
    if (m_core.link().CommBusy() || !m_core.actions().Idle() || nested) {
        m_core.RequestStop();
        event->ignore();
        QTimer::singleShot(kCloseRetryMs, this, &QWidget::close);
        return;
    }
    commitEditing();
    try {
        m_core.SaveOnExit();
    } catch (const std::exception &error) {
        reportFailure("Function Form_Unload", error, "Function frmMainMatrix.Form_Unload");
    }
    m_core.poller().stop();
    event->accept();
}

void frmMainMatrix::EnableButtons(bool enabled)
{
    m_macroBar->setControlsEnabled(enabled);
    m_crosspoints->setControlsEnabled(enabled);
    m_outputNames->setControlsEnabled(enabled);
    m_updateBar->setControlsEnabled(enabled);
    m_switching->setControlsEnabled(enabled);
}

void frmMainMatrix::ShowSwitchingPanel(bool shown)
{
    m_switching->setVisible(shown);
    setFixedHeight(m_baseHeight + (shown ? kSwitchingPanelHeight : 0));
}

bool frmMainMatrix::SwitchingPanelShown() const
{
    return !m_switching->isHidden();
}

void frmMainMatrix::UpdateDisplayMatrix()
{
    m_crosspoints->redraw();
}

void frmMainMatrix::showNames()
{
    m_crosspoints->showNumbers();
    m_inputNames->refresh();
    m_outputNames->refresh();
}

void frmMainMatrix::scrolled(bool inputs, int offset)
{
    commitEditing();
    if (inputs)
        m_core.setInputOffset(offset);
    else
        m_core.setOutputOffset(offset);
    m_crosspoints->showNumbers();
    (inputs ? m_inputNames : m_outputNames)->refresh();
    UpdateDisplayMatrix();
}

void frmMainMatrix::commitEditing()
{
    m_inputNames->commitEditing();
    m_outputNames->commitEditing();
}

// ---- operator actions ----

void frmMainMatrix::imgMatrix_Click(int cell)
{
    guarded("Function imgMatrix_Click", [this, cell] { m_core.RouteCell(cell); });
}

void frmMainMatrix::imgMIn_Click(int viewRow)
{
    if (!platform().controlKeyDown())
        return;
    guarded("Function imgMIn_Click", [this, viewRow] {
        // The outputs are counted from the start, so the view shows them from there.
        m_crosspoints->showOutputsFromStart();
        m_core.RouteInputToAll(viewRow);
    });
}

void frmMainMatrix::imgLayerSel_Click(int index)
{
    m_levels->choose(index);
}

void frmMainMatrix::mnuLoadConfig_Click()
{
    commitEditing();
    guarded("Sub mnuLoadConfig_Click", [this] { m_core.LoadConfigurationAction(); });
}

void frmMainMatrix::mnuSaveConfig_Click()
{
    commitEditing();
    guarded("Sub mnuSaveConfig_Click", [this] { m_core.SaveConfigurationAction(true); });
}

void frmMainMatrix::mnuSaveConfigAs_Click()
{
    commitEditing();
    guarded("Sub mnuSaveConfigAs_Click", [this] { m_core.SaveConfigurationAction(false); });
}

void frmMainMatrix::mnuSetup_Click()
{
    commitEditing();
    std::optional<SetupDialogModel::Result> accepted;
    {
        frmConfig dialog(m_core.config(), this);
        MaintenanceDialogs::Connect(dialog, m_core);
        connect(&dialog, &frmConfig::helpRequested, m_help, &MainWindowHelp::showTopic);
        dialog.exec();
        accepted = dialog.results();
    }
    if (!accepted) {
        // Cancel changes nothing; the window still shows what it showed.
        ReturnFromConfig();
        return;
    }
    guarded("Sub mnuSetup_Click", [this, &accepted] {
        m_core.ApplySetup(
            [result = std::move(*accepted)](Configuration &config) { result.ApplyTo(config); });
    });
}

void frmMainMatrix::syncModeChecks()
{
    m_mnuRS->setChecked(m_core.maintenance().rs232Checked());
    m_mnuIR->setChecked(m_core.maintenance().irChecked());
}

void frmMainMatrix::onLine(const char *title, std::function<void()> action)
{
    m_core.RunOnLine(QString::fromLatin1(title), std::move(action));
}

} // namespace corvantis

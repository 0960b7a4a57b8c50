#include "ui/frmMainMatrix.h"

#include "core/AppCore.h"
#include "ui/CrosspointGrid.h"
#include "ui/CrosspointPanel.h"
#include "ui/LevelSelector.h"
#include "ui/MacroBank.h"
#include "ui/MacroBar.h"
#include "ui/MainMenus.h"
#include "ui/MainWindowHelp.h"
#include "ui/MaintenanceDialogs.h"
#include "ui/NamesPanel.h"
#include "ui/ReportFailure.h"
#include "ui/RouteSummaryDialog.h"
#include "ui/Theme.h"
#include "ui/TopBar.h"
#include "ui/UpdateBar.h"
#include "ui/frmConfig.h"
#include "util/Platform.h"
#include "util/Version.h"
#include "util/clsDebug.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace corvantis {

namespace {

constexpr int kCloseRetryMs = 100;

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
    m_menus = new MainMenus(m_core, *menuBar(), this);
    m_macroBank = new MacroBank(m_core, *m_macroBar, this);
    RouteSummaryDialog::showFor(m_core, this);
    m_help = new MainWindowHelp(*this, m_menus->help(), m_menus->about(),
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

void frmMainMatrix::connectPanels()
{
    connect(m_menus, &MainMenus::loadConfigRequested, this, &frmMainMatrix::mnuLoadConfig_Click);
    connect(m_menus, &MainMenus::saveConfigRequested, this, &frmMainMatrix::mnuSaveConfig_Click);
    connect(m_menus, &MainMenus::saveConfigAsRequested, this,
            &frmMainMatrix::mnuSaveConfigAs_Click);
    connect(m_menus, &MainMenus::setupRequested, this, &frmMainMatrix::mnuSetup_Click);
    connect(m_menus, &MainMenus::exitRequested, this, &QWidget::close);
    connect(m_menus, &MainMenus::fileMenuOpening, this, &frmMainMatrix::commitEditing);
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
                m_core.RunOnLine(connect ? QStringLiteral("Sub btnRsGo_Click")
                                         : QStringLiteral("Sub btnRsNo_Click"),
                                 [this, connect, address, output, input]() -> Task<void> {
                                     co_await m_core.maintenance().RsSwitch(connect, address,
                                                                            output, input);
                                 });
            });
    connect(m_macroBank, &MacroBank::buttonsEnabled, this, &frmMainMatrix::EnableButtons);
    // The grid starts at its first output, so the replayed routes are drawn where they land.
    connect(m_macroBank, &MacroBank::replayStarting, m_crosspoints,
            &CrosspointPanel::showOutputsFromStart);

    connect(&m_core, &AppCore::configurationReplaced, this, &frmMainMatrix::ReturnFromConfig);
    connect(&m_core, &AppCore::bulkRoutingChanged, this,
            [this](bool bulk) { EnableButtons(!bulk); });
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
        QTimer::singleShot(0, &m_core, &AppCore::SendStartupRequestWhenFree);
    } catch (const std::exception &error) {
        reportFailure("Function Form_Load", error, "Function frmMainMatrix.Form_Load");
    }
}

void frmMainMatrix::setPanelListening(const QList<PanelListening *> &listening, WebListening *web)
{
    m_menus->setPanelListening(listening, web);
}

void frmMainMatrix::ReturnFromConfig()
{
    IndentScope trace("ReturnFromConfig");
    try {
        const AppCore::ViewLayout layout = m_core.Rebuild();
        m_crosspoints->applyLayout(layout);
        m_crosspoints->showNumbers();
        m_inputNames->refresh();
        m_outputNames->refresh();
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
    // The window closes once the line is free; a bulk route stops at its next output.
    if (m_core.MustFinishBeforeClosing()) {
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

} // namespace corvantis

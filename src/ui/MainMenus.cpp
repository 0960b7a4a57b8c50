#include "ui/MainMenus.h"

#include "core/AppCore.h"
#include "service/PanelListening.h"
#include "ui/SalvoMenu.h"
#include "ui/frmControlPanels.h"
#include "util/GeneralFunctions.h"
#include "util/Platform.h"
#include "util/RuntimeError.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace corvantis {

namespace {

constexpr const char *kNamesFilter = "Names (CSV):*.csv";

QAction *entry(QMenu *menu, const QString &text, const char *name,
               const QKeySequence &shortcut = {})
{
    auto *action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

} // namespace

MainMenus::MainMenus(AppCore &core, QMenuBar &bar, QObject *parent) : QObject(parent), m_core(core)
{
    QMenu *file = bar.addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFileMenu"));
    connect(entry(file, QStringLiteral("&Load Configuration..."), "mnuLoadConfig",
                  QKeySequence(Qt::CTRL | Qt::Key_L)),
            &QAction::triggered, this, &MainMenus::loadConfigRequested);
    connect(entry(file, QStringLiteral("&Save Configuration"), "mnuSaveConfig",
                  QKeySequence(Qt::CTRL | Qt::Key_S)),
            &QAction::triggered, this, &MainMenus::saveConfigRequested);
    connect(entry(file, QStringLiteral("Save Configuration &As..."), "mnuSaveConfigAs"),
            &QAction::triggered, this, &MainMenus::saveConfigAsRequested);
    connect(entry(file, QStringLiteral("Configure &Router..."), "mnuSetup",
                  QKeySequence(Qt::CTRL | Qt::Key_O)),
            &QAction::triggered, this, &MainMenus::setupRequested);
    file->addSeparator();
    connect(entry(file, QStringLiteral("&Import Names..."), "mnuImportNames"), &QAction::triggered,
            this, &MainMenus::importNames);
    connect(entry(file, QStringLiteral("E&xport Names..."), "mnuExportNames"), &QAction::triggered,
            this, &MainMenus::exportNames);
    m_mnuControlPanels = entry(file, QStringLiteral("Control &Panels..."), "mnuControlPanels");
    m_mnuControlPanels->setEnabled(false);
    connect(m_mnuControlPanels, &QAction::triggered, this, &MainMenus::chooseControlPanels);
    file->addSeparator();
    connect(entry(file, QStringLiteral("&Exit"), "mnuExit"), &QAction::triggered, this,
            &MainMenus::exitRequested);
    connect(file, &QMenu::aboutToShow, this, &MainMenus::fileMenuOpening);

    QMenu *edit = bar.addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEditMenu"));
    QAction *undoImport = entry(edit, QStringLiteral("&Undo Import"), "mnuUndoImport");
    undoImport->setEnabled(core.CanUndoImport());
    connect(undoImport, &QAction::triggered, &core, &AppCore::UndoImportAction);
    connect(&core, &AppCore::canUndoImportChanged, undoImport, &QAction::setEnabled);

    MaintenanceCommands &maintenance = core.maintenance();
    QMenu *data = bar.addMenu(QStringLiteral("&Data"));
    data->setObjectName(QStringLiteral("mnuDataMenu"));
    m_mnuRS = entry(data, QStringLiteral("Set &RS-232 Mode"), "mnuRS");
    m_mnuIR = entry(data, QStringLiteral("Set &IR Mode"), "mnuIR");
    m_mnuRS->setCheckable(true);
    m_mnuIR->setCheckable(true);
    // A click toggles the mark; it is put back until the routers acknowledge the mode
    // (modeChecksChanged).
    connect(m_mnuRS, &QAction::triggered, this, [this, &maintenance] {
        onLine("Sub mnuRS_Click", [&maintenance] { return maintenance.SetRs232Mode(); });
        syncModeChecks();
    });
    connect(m_mnuIR, &QAction::triggered, this, [this, &maintenance] {
        onLine("Sub mnuIR_Click", [&maintenance] { return maintenance.SetIrMode(); });
        syncModeChecks();
    });
    connect(entry(data, QStringLiteral("&Flash Data"), "mnuFlashD"), &QAction::triggered, this,
            [this, &maintenance] {
                onLine("Sub mnuFlashD_Click", [&maintenance] { return maintenance.FlashData(); });
            });
    connect(&maintenance, &MaintenanceCommands::modeChecksChanged, this,
            [this](bool, bool) { syncModeChecks(); });

    new SalvoMenu(core, *bar.addMenu(QStringLiteral("&Salvos")), this);

    QMenu *help = bar.addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelpMenu"));
    m_mnuHelp = entry(help, QStringLiteral("&Corvantis Help"), "mnuHelp");
    connect(entry(help, QStringLiteral("&Firmware Version"), "mnuFirmwareVersion"),
            &QAction::triggered, this, [this, &maintenance] {
                onLine("Sub mnuFirmwareVersion_Click",
                       [&maintenance] { return maintenance.FirmwareVersion(); });
            });
    m_mnuAbout = entry(help, QStringLiteral("&About"), "mnuAbout");
}

void MainMenus::onLine(const char *title, ActionQueue::Action action)
{
    m_core.RunOnLine(QString::fromLatin1(title), std::move(action));
}

void MainMenus::setPanelListening(const QList<PanelListening *> &listening, WebListening *web)
{
    m_listening = listening;
    m_web = web;
    m_mnuControlPanels->setEnabled(!listening.isEmpty() && web != nullptr);
}

void MainMenus::importNames()
{
    const std::string path =
        platform().openFileDialog("Import Names", kNamesFilter, ProgramDataFolder(), std::string());
    if (!path.empty())
        m_core.ImportNamesAction(QString::fromStdString(path));
}

void MainMenus::exportNames()
{
    const std::string path =
        platform().saveFileDialog("Export Names", kNamesFilter, ProgramDataFolder(), "names.csv");
    if (!path.empty())
        m_core.ExportNamesAction(QString::fromStdString(path));
}

void MainMenus::chooseControlPanels()
{
    if (m_listening.isEmpty() || !m_web)
        return;
    frmControlPanels dialog(m_listening, m_web->current(), qobject_cast<QWidget *>(parent()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QList<PanelListening::Choice> choices = dialog.choices();
    const WebListening::Choice web = dialog.webChoice();
    const QString pin = dialog.newPin();
    const bool removePin = dialog.removePin();
    m_core.actions().Submit(
        QStringLiteral("Sub mnuControlPanels_Click"), ActionQueue::Needs::Nothing,
        [this, choices, web, pin, removePin] {
            // Each server as chosen; one that cannot keeps what it had.
            QStringList problems;
            for (qsizetype n = 0; n < m_listening.size(); ++n)
                if (const QString why = m_listening[n]->apply(choices.at(n)); !why.isEmpty())
                    problems << why;
            if (!pin.isEmpty() || removePin)
                if (const QString why = WebListening::storePin(removePin ? QString() : pin);
                    !why.isEmpty())
                    problems << why;
            if (const QString why = m_web->apply(web); !why.isEmpty())
                problems << why;
            if (!problems.isEmpty())
                throw RuntimeError(problems.join(QLatin1Char('\n')).toStdString());
        });
}

void MainMenus::syncModeChecks()
{
    m_mnuRS->setChecked(m_core.maintenance().rs232Checked());
    m_mnuIR->setChecked(m_core.maintenance().irChecked());
}

} // namespace corvantis

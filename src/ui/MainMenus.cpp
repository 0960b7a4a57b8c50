#include "ui/MainMenus.h"

#include "core/AppCore.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace corvantis {

namespace {

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
    connect(entry(file, QStringLiteral("&Exit"), "mnuExit"), &QAction::triggered, this,
            &MainMenus::exitRequested);

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
        onLine("Sub mnuRS_Click", [&maintenance] { maintenance.SetRs232Mode(); });
        syncModeChecks();
    });
    connect(m_mnuIR, &QAction::triggered, this, [this, &maintenance] {
        onLine("Sub mnuIR_Click", [&maintenance] { maintenance.SetIrMode(); });
        syncModeChecks();
    });
    connect(entry(data, QStringLiteral("&Flash Data"), "mnuFlashD"), &QAction::triggered, this,
            [this, &maintenance] {
                onLine("Sub mnuFlashD_Click", [&maintenance] { maintenance.FlashData(); });
            });
    connect(&maintenance, &MaintenanceCommands::modeChecksChanged, this,
            [this](bool, bool) { syncModeChecks(); });

    QMenu *help = bar.addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelpMenu"));
    m_mnuHelp = entry(help, QStringLiteral("&Corvantis Help"), "mnuHelp");
    connect(entry(help, QStringLiteral("&Firmware Version"), "mnuFirmwareVersion"),
            &QAction::triggered, this, [this, &maintenance] {
                onLine("Sub mnuFirmwareVersion_Click",
                       [&maintenance] { maintenance.FirmwareVersion(); });
            });
    m_mnuAbout = entry(help, QStringLiteral("&About"), "mnuAbout");
}

void MainMenus::onLine(const char *title, std::function<void()> action)
{
    m_core.RunOnLine(QString::fromLatin1(title), std::move(action));
}

void MainMenus::syncModeChecks()
{
    m_mnuRS->setChecked(m_core.maintenance().rs232Checked());
    m_mnuIR->setChecked(m_core.maintenance().irChecked());
}

} // namespace corvantis

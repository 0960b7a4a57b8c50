#include "ui/SalvoMenu.h"

#include "core/AppCore.h"
#include "ui/SalvoOutputsDialog.h"

#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>

namespace corvantis {

SalvoMenu::SalvoMenu(AppCore &core, QMenu &menu, QObject *parent)
    : QObject(parent), m_core(core), m_menu(menu)
{
    m_menu.setObjectName(QStringLiteral("mnuSalvosMenu"));
    connect(&m_menu, &QMenu::aboutToShow, this, &SalvoMenu::rebuild);
    connect(&core.salvos(), &Salvos::changed, this, &SalvoMenu::rebuild);
    rebuild();
}

QWidget *SalvoMenu::window() const
{
    return m_menu.parentWidget() ? m_menu.parentWidget()->window() : nullptr;
}

void SalvoMenu::rebuild()
{
    m_menu.clear();
    const Salvos &salvos = m_core.salvos();
    for (const Salvos::Salvo &salvo : salvos.all()) {
        const QString name = salvo.name;
        QAction *fire = m_menu.addAction(QStringLiteral("%1 (%2 routes)")
                                             .arg(QString(name).replace('&', "&&"))
                                             .arg(salvo.routes.size()));
        fire->setToolTip(QStringLiteral("Send every route of this salvo now"));
        connect(fire, &QAction::triggered, this, [this, name] { m_core.salvos().Fire(name); });
    }
    if (salvos.all().isEmpty())
        m_menu.addAction(QStringLiteral("No salvos stored"))->setEnabled(false);
    m_menu.addSeparator();
    QAction *presets = m_menu.addAction(QStringLiteral("Store &Presets as Salvo..."));
    presets->setObjectName(QStringLiteral("mnuStorePresets"));
    presets->setEnabled(!m_core.presets().isEmpty());
    connect(presets, &QAction::triggered, this, &SalvoMenu::storePresets);
    QAction *outputs = m_menu.addAction(QStringLiteral("Store &Outputs as Salvo..."));
    outputs->setObjectName(QStringLiteral("mnuStoreOutputs"));
    connect(outputs, &QAction::triggered, this, &SalvoMenu::storeOutputs);
    QAction *rename = m_menu.addAction(QStringLiteral("&Rename Salvo..."));
    rename->setEnabled(!salvos.all().isEmpty());
    connect(rename, &QAction::triggered, this, &SalvoMenu::renameSalvo);
    QAction *remove = m_menu.addAction(QStringLiteral("&Delete Salvo..."));
    remove->setEnabled(!salvos.all().isEmpty());
    connect(remove, &QAction::triggered, this, &SalvoMenu::deleteSalvo);
}

QString SalvoMenu::askName(const QString &title, const QString &suggestion, const QString &renaming)
{
    QString name = suggestion;
    QString prompt = QStringLiteral("Salvo name:");
    for (;;) {
        bool ok = false;
        name = QInputDialog::getText(window(), title, prompt, QLineEdit::Normal, name, &ok);
        if (!ok)
            return {};
        const QString refusal = m_core.salvos().nameRefusal(name, renaming);
        if (refusal.isEmpty())
            return name;
        prompt = refusal + QStringLiteral(".\nSalvo name:");
    }
}

void SalvoMenu::storePresets()
{
    const QString name = askName(QStringLiteral("Store Presets as Salvo"), {});
    if (!name.isEmpty())
        m_core.salvos().StorePresets(name);
}

void SalvoMenu::storeOutputs()
{
    SalvoOutputsDialog dialog(m_core, window());
    if (dialog.exec() == QDialog::Accepted)
        m_core.salvos().StoreSnapshot(dialog.name(), dialog.outputs());
}

QString SalvoMenu::chooseSalvo(const QString &title)
{
    QStringList names;
    for (const Salvos::Salvo &salvo : m_core.salvos().all())
        names << salvo.name;
    bool ok = false;
    const QString name =
        QInputDialog::getItem(window(), title, QStringLiteral("Salvo:"), names, 0, false, &ok);
    return ok ? name : QString();
}

void SalvoMenu::renameSalvo()
{
    const QString from = chooseSalvo(QStringLiteral("Rename Salvo"));
    if (from.isEmpty())
        return;
    const QString to = askName(QStringLiteral("Rename Salvo"), from, from);
    if (!to.isEmpty() && to != from)
        m_core.salvos().Rename(from, to);
}

void SalvoMenu::deleteSalvo()
{
    const QString name = chooseSalvo(QStringLiteral("Delete Salvo"));
    if (!name.isEmpty() &&
        QMessageBox::question(window(), QStringLiteral("Delete Salvo"),
                              QStringLiteral("Delete the salvo \"%1\"?").arg(name)) ==
            QMessageBox::Yes)
        m_core.salvos().Remove(name);
}

} // namespace corvantis

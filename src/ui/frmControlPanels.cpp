#include "ui/frmControlPanels.h"

#include "ui/DialogLook.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvantis {

frmControlPanels::frmControlPanels(const QList<PanelListening *> &servers, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmControlPanels"));
    setWindowTitle(QStringLiteral("Control Panels"));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    for (const PanelListening *server : servers) {
        const PanelListening::Protocol &protocol = server->protocol();
        const PanelListening::Choice choice = server->current();
        const QString group = QString::fromLatin1(protocol.settingsGroup);
        // The box's check is the choice; unchecked, its address is greyed.
        auto *serve =
            new QGroupBox(QStringLiteral("Serve &%1").arg(QLatin1String(protocol.clients)), this);
        serve->setObjectName(QStringLiteral("grpServe_") + group);
        serve->setCheckable(true);
        serve->setChecked(choice.enabled);
        auto *address = new QLineEdit(choice.address, serve);
        address->setObjectName(QStringLiteral("txtAddress_") + group);
        address->setMinimumWidth(220);
        auto *form = new QFormLayout(serve);
        form->addRow(QStringLiteral("Address (host:port, %1 is usual):").arg(protocol.defaultPort),
                     address);
        layout->addWidget(serve);
        m_sections.append({serve, address});
    }
    auto *note = new QLabel(QStringLiteral("No protocol here has a password: whoever reaches an "
                                           "address can route, rename and lock. Keep 127.0.0.1 "
                                           "unless the network is trusted."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto *cmdOK = DialogLook::MakeButton(QStringLiteral("OK"), QStringLiteral("cmdOK"), this);
    cmdOK->setDefault(true);
    auto *cmdCancel =
        DialogLook::MakeButton(QStringLiteral("Cancel"), QStringLiteral("cmdCancel"), this);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    DialogLook::Apply(this);
}

QList<PanelListening::Choice> frmControlPanels::choices() const
{
    QList<PanelListening::Choice> choices;
    for (const Section &section : m_sections)
        choices.append({section.serve->isChecked(), section.address->text().trimmed()});
    return choices;
}

} // namespace corvantis

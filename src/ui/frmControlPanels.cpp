#include "ui/frmControlPanels.h"

#include "ui/DialogLook.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvantis {

frmControlPanels::frmControlPanels(const PanelListening::Choice &choice, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmControlPanels"));
    setWindowTitle(QStringLiteral("Control Panels"));
    setModal(true);

    m_chkListen = new QCheckBox(QStringLiteral("&Serve network control panels"), this);
    m_chkListen->setObjectName(QStringLiteral("chkListen"));
    m_chkListen->setChecked(choice.enabled);
    m_txtAddress = new QLineEdit(choice.address, this);
    m_txtAddress->setObjectName(QStringLiteral("txtAddress"));
    m_txtAddress->setMinimumWidth(220);
    m_txtAddress->setEnabled(choice.enabled);
    connect(m_chkListen, &QCheckBox::toggled, m_txtAddress, &QWidget::setEnabled);
    auto *note = new QLabel(QStringLiteral("Panels need no password: whoever reaches this address "
                                           "can route, rename and lock. Keep 127.0.0.1 unless "
                                           "the network is trusted."),
                            this);
    note->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Address (host:port):"), m_txtAddress);

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

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_chkListen);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addLayout(buttons);
    DialogLook::Apply(this);
}

PanelListening::Choice frmControlPanels::choice() const
{
    return {m_chkListen->isChecked(), m_txtAddress->text().trimmed()};
}

} // namespace corvantis

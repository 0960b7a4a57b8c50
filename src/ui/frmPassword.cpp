#include "ui/frmPassword.h"

#include "link/AddressChange.h"
#include "ui/DialogLook.h"
#include "ui/frmInternalSetup.h"
#include "util/Platform.h"
#include "util/Version.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvantis {

frmPassword::frmPassword(AppCore &core, QWidget *parent) : QDialog(parent), m_core(core)
{
    setObjectName(QStringLiteral("frmPassword"));
    setWindowTitle(QStringLiteral("Protected Area"));
    setModal(true);

    auto *prompt = new QLabel(QStringLiteral("Please enter the password:"), this);
    prompt->setObjectName(QStringLiteral("lblPassword"));
    m_txtPassword = new QLineEdit(this);
    m_txtPassword->setObjectName(QStringLiteral("txtPassword"));
    m_txtPassword->setEchoMode(QLineEdit::Password);
    m_txtPassword->setMinimumWidth(220);
    prompt->setBuddy(m_txtPassword);

    auto *cmdOK = DialogLook::MakeButton(QStringLiteral("OK"), QStringLiteral("cmdOK"), this);
    cmdOK->setDefault(true);
    auto *cmdCancel =
        DialogLook::MakeButton(QStringLiteral("Cancel"), QStringLiteral("cmdCancel"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addWidget(prompt);
    layout->addWidget(m_txtPassword);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogLook::Apply(this);

    connect(cmdOK, &QPushButton::clicked, this, &frmPassword::okClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPassword::reject);
}

void frmPassword::okClicked()
{
    if (!AddressChange::PasswordMatches(m_txtPassword->text())) {
        platform().messageBox("Incorrect Password!", kProgramTitle, MessageButtons::OkCancel,
                              MessageIcon::Exclamation);
        m_txtPassword->clear();
        m_txtPassword->setFocus();
        return;
    }
    m_txtPassword->clear();
    frmInternalSetup setup(m_core, this);
    setup.exec();
    accept();
}

} // namespace corvantis

#include "ui/frmInternalSetup.h"

#include "core/AppCore.h"
#include "ui/DialogLook.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvantis {

namespace {

QComboBox *addressList(const QString &name, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    // An entry's position is its address.
    for (int address = 0; address <= AddressChange::kMaxAddress; ++address)
        list->addItem(QString::number(address));
    list->setCurrentIndex(0);
    return list;
}

} // namespace

frmInternalSetup::frmInternalSetup(AppCore &core, QWidget *parent) : QDialog(parent), m_core(core)
{
    setObjectName(QStringLiteral("frmInternalSetup"));
    setWindowTitle(QStringLiteral("Internal Setup"));
    setModal(true);

    auto *frame = new QGroupBox(QStringLiteral("Router Address Setup"), this);
    frame->setObjectName(QStringLiteral("fraRouterAddress"));
    m_cboCurFrameAddress = addressList(QStringLiteral("cboCurFrameAddress"), frame);
    m_cboNewFrameAddress = addressList(QStringLiteral("cboNewFrameAddress"), frame);
    auto *grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(10);
    grid->addWidget(new QLabel(QStringLiteral("Current Address:"), frame), 0, 0);
    grid->addWidget(m_cboCurFrameAddress, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("New Address:"), frame), 1, 0);
    grid->addWidget(m_cboNewFrameAddress, 1, 1);
    grid->setColumnStretch(2, 1);

    m_cmdApply = DialogLook::MakeButton(QStringLiteral("&Apply"), QStringLiteral("cmdApply"), this);
    m_cmdOK = DialogLook::MakeButton(QStringLiteral("&OK"), QStringLiteral("cmdOK"), this);
    m_cmdOK->setDefault(true);
    m_cmdCancel =
        DialogLook::MakeButton(QStringLiteral("&Cancel"), QStringLiteral("cmdCancel"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdApply);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogLook::Apply(this);

    connect(m_cmdApply, &QPushButton::clicked, this, [this] { apply(false); });
    connect(m_cmdOK, &QPushButton::clicked, this, [this] { apply(true); });
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmInternalSetup::reject);
}

void frmInternalSetup::apply(bool closeAfter)
{
    // A second click while the router has not answered would only queue the same change.
    if (m_applying)
        return;
    const int current = m_cboCurFrameAddress->currentIndex();
    const int next = m_cboNewFrameAddress->currentIndex();
    const auto change = [&core = m_core, current, next]() -> Task<void> {
        AddressChange change(core.settings(), core.link());
        co_await change.Apply(current, next);
    };
    const auto answered = [dialog = QPointer(this), closeAfter](const ActionQueue::Completion &) {
        if (!dialog)
            return;
        dialog->m_applying = false;
        dialog->setButtonsEnabled(true);
        if (closeAfter)
            dialog->accept();
    };
    m_applying = true;
    setButtonsEnabled(false);
    if (!m_core.RunOnLine(QStringLiteral("Change Router Address"), change, answered)) {
        m_applying = false;
        setButtonsEnabled(true);
    }
}

void frmInternalSetup::reject()
{
    if (!m_applying)
        QDialog::reject();
}

void frmInternalSetup::setButtonsEnabled(bool enabled)
{
    for (QPushButton *button : {m_cmdApply, m_cmdOK, m_cmdCancel})
        button->setEnabled(enabled);
}

} // namespace corvantis

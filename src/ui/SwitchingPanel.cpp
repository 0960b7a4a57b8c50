#include "ui/SwitchingPanel.h"

#include "link/MaintenanceCommands.h"
#include "ui/Controls.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace corvantis {

SwitchingPanel::SwitchingPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("fraRs232"));
    setFixedHeight(kHeight);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 12);
    outer->setSpacing(0);

    auto *box = new QFrame(this);
    box->setObjectName(QStringLiteral("linRs232"));
    box->setFrameShape(QFrame::StyledPanel);
    box->setFrameShadow(QFrame::Plain);
    outer->addWidget(box);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(12, 6, 12, 6);
    row->setSpacing(8);

    auto *caption =
        Controls::makeLabel(QStringLiteral("RS-232 Switching"), box, QStringLiteral("lblRs232"));
    QFont font = caption->font();
    font.setBold(true);
    caption->setFont(font);
    row->addWidget(caption);
    row->addSpacing(16);

    row->addWidget(
        Controls::makeLabel(QStringLiteral("Frame Address"), box, QStringLiteral("lblRsAddress")));
    m_txtAddy = new QLineEdit(QStringLiteral("0"), box);
    m_txtAddy->setObjectName(QStringLiteral("txtAddy"));
    m_txtAddy->setFixedWidth(40);
    m_txtAddy->setAlignment(Qt::AlignRight);
    m_txtAddy->setToolTip(QStringLiteral("Frame address of the router, 0 to 15"));
    auto *updown = new QWidget(box);
    updown->setObjectName(QStringLiteral("updAddy"));
    auto *arrows = new QVBoxLayout(updown);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    auto *up = new QToolButton(updown);
    up->setObjectName(QStringLiteral("updAddy_up"));
    up->setArrowType(Qt::UpArrow);
    auto *down = new QToolButton(updown);
    down->setObjectName(QStringLiteral("updAddy_down"));
    down->setArrowType(Qt::DownArrow);
    for (QToolButton *arrow : {up, down}) {
        arrow->setFixedSize(18, 13);
        arrow->setAutoRepeat(true);
        arrows->addWidget(arrow);
    }
    connect(up, &QToolButton::clicked, this, [this] { stepAddress(1); });
    connect(down, &QToolButton::clicked, this, [this] { stepAddress(-1); });
    // The arrows sit against the box they step.
    auto *address = new QHBoxLayout();
    address->setSpacing(1);
    address->addWidget(m_txtAddy);
    address->addWidget(updown);
    row->addLayout(address);
    row->addSpacing(12);

    row->addWidget(Controls::makeLabel(QStringLiteral("Input"), box, QStringLiteral("lblRsIn")));
    m_cboRsIn = new QComboBox(box);
    m_cboRsIn->setObjectName(QStringLiteral("cboRsIn"));
    m_cboRsIn->setMinimumWidth(64);
    row->addWidget(m_cboRsIn);
    row->addWidget(Controls::makeLabel(QStringLiteral("Output"), box, QStringLiteral("lblRsOut")));
    m_cboRsOut = new QComboBox(box);
    m_cboRsOut->setObjectName(QStringLiteral("cboRsOut"));
    m_cboRsOut->setMinimumWidth(64);
    row->addWidget(m_cboRsOut);
    row->addStretch(1);

    m_btnRsGo = new QPushButton(QStringLiteral("Connect"), box);
    m_btnRsGo->setObjectName(QStringLiteral("btnRsGo"));
    m_btnRsGo->setToolTip(QStringLiteral("Connect the RS-232 input to the output"));
    m_btnRsNo = new QPushButton(QStringLiteral("Disconnect"), box);
    m_btnRsNo->setObjectName(QStringLiteral("btnRsNo"));
    m_btnRsNo->setToolTip(QStringLiteral("Disconnect the RS-232 input from the output"));
    connect(m_btnRsGo, &QPushButton::clicked, this, [this] { requestSwitch(true); });
    connect(m_btnRsNo, &QPushButton::clicked, this, [this] { requestSwitch(false); });
    row->addWidget(m_btnRsGo);
    row->addWidget(m_btnRsNo);
}

void SwitchingPanel::setPorts(int maxInput, int maxOutput)
{
    m_cboRsIn->clear();
    for (int n = 1; n <= maxInput + 1; ++n)
        m_cboRsIn->addItem(QString::number(n));
    m_cboRsOut->clear();
    for (int n = 1; n <= maxOutput + 1; ++n)
        m_cboRsOut->addItem(QString::number(n));
}

void SwitchingPanel::setControlsEnabled(bool enabled)
{
    m_btnRsGo->setEnabled(enabled);
    m_btnRsNo->setEnabled(enabled);
}

void SwitchingPanel::requestSwitch(bool connect)
{
    emit switchRequested(connect, m_txtAddy->text(), m_cboRsOut->currentIndex(),
                         m_cboRsIn->currentIndex());
}

void SwitchingPanel::stepAddress(int step)
{
    const int current = MaintenanceCommands::ParseFrameAddress(m_txtAddy->text()).value_or(0);
    const int next = std::clamp(current + step, 0, MaintenanceCommands::kMaxFrameAddress);
    m_txtAddy->setText(QString::number(next));
}

} // namespace corvantis

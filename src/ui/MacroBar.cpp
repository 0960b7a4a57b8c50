#include "ui/MacroBar.h"

#include "ui/Controls.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace corvantis {

MacroBar::MacroBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraMacros"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    auto *heading = new QHBoxLayout();
    m_lblMacros = Controls::makeLabel(QStringLiteral("Macros"), this, QStringLiteral("lblMacros"));
    QFont font = m_lblMacros->font();
    font.setBold(true);
    m_lblMacros->setFont(font);
    m_lblMacros->setMinimumHeight(38);
    m_lblMacros->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    heading->addWidget(m_lblMacros);
    heading->addStretch(1);
    m_lblRecord =
        Controls::makeLabel(QStringLiteral("\u25CF Recording"), this, QStringLiteral("lblRecord"));
    m_lblRecord->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    m_lblRecord->setMinimumHeight(38);
    m_lblRecord->hide();
    Controls::setTextColour(m_lblRecord, Theme::kRecording);
    heading->addWidget(m_lblRecord);
    column->addLayout(heading);

    auto *bank = new QHBoxLayout();
    bank->setSpacing(4);
    auto *buttons = new QVBoxLayout();
    buttons->setSpacing(6);
    for (int i = 0; i < MacroBankLogic::kButtons; ++i) {
        auto *button = new QPushButton(this);
        button->setObjectName(Controls::numbered("btnMacro", i));
        button->setFixedSize(150, 44);
        m_btnMacro[static_cast<std::size_t>(i)] = button;
        buttons->addWidget(button);
    }
    bank->addLayout(buttons);
    m_vScrollMacro = new QScrollBar(Qt::Vertical, this);
    m_vScrollMacro->setObjectName(QStringLiteral("VScrollMacro"));
    m_vScrollMacro->setRange(0, MacroBankLogic::kMaxTop);
    m_vScrollMacro->setPageStep(MacroBankLogic::kLargeChange);
    m_vScrollMacro->setSingleStep(1);
    bank->addWidget(m_vScrollMacro);
    column->addLayout(bank);

    m_btnRecord = new QPushButton(QStringLiteral("Record"), this);
    m_btnRecord->setObjectName(QStringLiteral("btnRecord"));
    m_btnRecord->setFixedHeight(32);
    column->addSpacing(6);
    column->addWidget(m_btnRecord);
    column->addStretch(1);
}

QPushButton *MacroBar::macroButton(int index) const
{
    return m_btnMacro.at(static_cast<std::size_t>(index));
}

void MacroBar::setControlsEnabled(bool enabled)
{
    for (QPushButton *button : m_btnMacro)
        button->setEnabled(enabled);
    m_vScrollMacro->setEnabled(enabled);
    m_btnRecord->setEnabled(enabled);
}

} // namespace corvantis

#include "ui/UpdateBar.h"

#include "core/AppCore.h"
#include "ui/Controls.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace corvantis {

UpdateBar::UpdateBar(AppCore &core, QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    m_cmdUpdate = new QPushButton(QStringLiteral("Update Matrix"), this);
    m_cmdUpdate->setObjectName(QStringLiteral("cmdUpdate"));
    m_cmdUpdate->setToolTip(QStringLiteral("Ask the routers for every crosspoint now"));
    m_cmdUpdate->setMinimumWidth(130);
    connect(m_cmdUpdate, &QPushButton::clicked, this, &UpdateBar::updateClicked);
    row->addWidget(m_cmdUpdate);
    m_txtErrMsg = Controls::makeLabel({}, this, QStringLiteral("txtErrMsg"));
    m_txtErrMsg->setMinimumHeight(m_cmdUpdate->sizeHint().height());
    QFont font = m_txtErrMsg->font();
    font.setBold(true);
    m_txtErrMsg->setFont(font);
    Controls::setTextColour(m_txtErrMsg, Theme::kError);
    row->addWidget(m_txtErrMsg, 1);
    connect(&core.link(), &SerialLink::errorMessageChanged, m_txtErrMsg, &QLabel::setText);
}

void UpdateBar::setUpdateShown(bool shown)
{
    m_cmdUpdate->setVisible(shown);
}

void UpdateBar::setControlsEnabled(bool enabled)
{
    m_cmdUpdate->setEnabled(enabled);
}

} // namespace corvantis

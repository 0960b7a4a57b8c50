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

    const auto button = [this, row](const QString &text, const char *name, const QString &tip) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        b->setMinimumWidth(b->sizeHint().width());
        row->addWidget(b);
        return b;
    };
    m_cmdTakeMode = button(QStringLiteral("Take Mode"), "cmdTakeMode",
                           QStringLiteral("Clicks only preset routes until Take sends them"));
    m_cmdTakeMode->setCheckable(true);
    m_cmdTake = button(QStringLiteral("Take"), "cmdTake",
                       QStringLiteral("Send every preset route now, in one go"));
    m_cmdClear =
        button(QStringLiteral("Clear"), "cmdClear", QStringLiteral("Drop the preset routes"));
    TakePresets &presets = core.presets();
    connect(m_cmdTakeMode, &QPushButton::toggled, &presets, &TakePresets::setEnabled);
    connect(&presets, &TakePresets::enabledChanged, m_cmdTakeMode, &QPushButton::setChecked);
    connect(m_cmdTake, &QPushButton::clicked, &core, &AppCore::Take);
    connect(m_cmdClear, &QPushButton::clicked, &presets, &TakePresets::clear);
    const auto showPresets = [this, &presets] {
        m_cmdTake->setEnabled(!presets.isEmpty());
        m_cmdClear->setEnabled(!presets.isEmpty());
    };
    connect(&presets, &TakePresets::changed, this, showPresets);
    showPresets();

    // A salvo, macro or take counts its routes here, and leaves its result line.
    m_txtProgress = Controls::makeLabel({}, this, QStringLiteral("txtProgress"));
    m_txtProgress->setAccessibleName(QStringLiteral("Routing progress"));
    row->addWidget(m_txtProgress);
    connect(&core, &AppCore::routeProgress, m_txtProgress,
            [this](const RouteReport &report) { m_txtProgress->setText(report.progressText()); });
    connect(&core, &AppCore::routesReported, m_txtProgress,
            [this](const RouteReport &report) { m_txtProgress->setText(report.resultLine()); });

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

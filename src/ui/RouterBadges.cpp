#include "ui/RouterBadges.h"

#include "config/RouterCatalog.h"
#include "core/AppCore.h"
#include "ui/Theme.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace corvantis {

RouterBadges::RouterBadges(AppCore &core, QWidget *parent) : QWidget(parent), m_core(core)
{
    setObjectName(QStringLiteral("routerBadges"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&core.health(), &RouterHealth::changed, this, [this] { update(); });
    connect(&core, &AppCore::configurationReplaced, this, &RouterBadges::refreshRouters);
    refreshRouters();
}

void RouterBadges::refreshRouters()
{
    m_routers = m_core.configuredRouters();
    updateGeometry();
    update();
}

QSize RouterBadges::sizeHint() const
{
    return {std::max<int>(1, int(m_routers.size())) * (kBadge + 2), kBadge};
}

QString RouterBadges::describe(int frameAddress) const
{
    const RouterHealth::Router health = m_core.health().at(frameAddress);
    const clsRouter *router = m_core.config().routers.at(frameAddress);
    const auto model = router ? RouterCatalog::model(router->RouterType()) : nullptr;
    QString text = QStringLiteral("Router %1").arg(frameAddress);
    if (model)
        text += QStringLiteral(" (%1)").arg(
            QString::fromUtf8(model->modelName.data(), qsizetype(model->modelName.size())));
    text += QStringLiteral(": ") + RouterHealth::stateText(health.state);
    if (health.resyncing)
        text += QStringLiteral(", being read again");
    if (health.lastAnswer.isValid())
        text += QStringLiteral("; last answer %1 s ago")
                    .arg(health.lastAnswer.secsTo(QDateTime::currentDateTime()));
    else
        text += QStringLiteral("; no answer yet");
    if (health.unanswered > 0 || health.resends > 0)
        text += QStringLiteral("; %1 unanswered commands, %2 resends")
                    .arg(health.unanswered)
                    .arg(health.resends);
    return text;
}

void RouterBadges::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    for (std::size_t i = 0; i < m_routers.size(); ++i) {
        const int frame = m_routers[i];
        const QRectF box(i * (kBadge + 2) + 0.5, 0.5, kBadge - 1, kBadge - 1);
        QColor fill = Theme::kStale;
        if (m_core.health().stale(frame))
            fill = Theme::kFailed;
        else if (m_core.health().at(frame).state == RouterHealth::State::Online)
            fill = Theme::kAllLevels;
        painter.setPen(QPen(fill.darker(160), 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(box, 3, 3);
        painter.setPen(QColor(0x20, 0x20, 0x20));
        painter.drawText(box, Qt::AlignCenter, QString::number(frame));
    }
}

bool RouterBadges::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int index = help->pos().x() / (kBadge + 2);
        if (index >= 0 && index < int(m_routers.size()))
            QToolTip::showText(help->globalPos(), describe(m_routers[std::size_t(index)]), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

} // namespace corvantis

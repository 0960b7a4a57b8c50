#include "ui/TopBar.h"

#include "core/AppCore.h"
#include "ui/Controls.h"
#include "ui/PictureButton.h"
#include "ui/RouterBadges.h"
#include "ui/ShapeLamp.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>

namespace corvantis {

TopBar::TopBar(AppCore &core, QWidget *levelSelector, QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);

    // The caption with its shadow one pixel down and right behind it.
    auto *title = new QWidget(this);
    title->setFixedSize(300, 32);
    m_lblRouterTypeShadow = Controls::makeLabel(QStringLiteral("Router Type"), title,
                                                QStringLiteral("lblRouterTypeShadow"));
    m_lblRouterType =
        Controls::makeLabel(QStringLiteral("Router Type"), title, QStringLiteral("lblRouterType"));
    for (QLabel *label : {m_lblRouterTypeShadow, m_lblRouterType}) {
        QFont font = label->font();
        font.setPixelSize(20);
        font.setBold(true);
        label->setFont(font);
        label->resize(title->size());
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    m_lblRouterTypeShadow->move(2, 2);
    m_lblRouterType->move(0, 0);
    m_lblRouterType->setToolTip(QStringLiteral("Router family and size of the matrix"));
    Controls::setTextColour(m_lblRouterType, Theme::kBright);
    Controls::setTextColour(m_lblRouterTypeShadow, Theme::kShadow);
    row->addWidget(title);
    row->addStretch(1);
    row->addWidget(levelSelector);
    row->addStretch(1);
    // The line's own state, apart from the routers': a port can be open with every router
    // silent, and a lost port says nothing about the routers behind it.
    auto *line =
        Controls::makeLabel(QStringLiteral("Line closed"), this, QStringLiteral("txtLine"));
    line->setToolTip(QStringLiteral("The serial line (or its network address)"));
    connect(&core.link(), &SerialLink::portOpenChanged, line, [line, &core](bool open) {
        line->setText(open ? QStringLiteral("Line open") : QStringLiteral("Line closed"));
        line->setToolTip(core.link().PortAddressText());
    });
    connect(&core.link(), &SerialLink::portLost, line, [line] {
        line->setText(QStringLiteral("Line lost"));
        line->setToolTip(QStringLiteral("The next command opens it again"));
    });
    row->addWidget(line);
    row->addWidget(new RouterBadges(core, this));

    m_imgAlive = new PictureButton(PictureButton::Kind::Alive, 0, this);
    m_imgAlive->setObjectName(QStringLiteral("imgAlive"));
    m_imgAlive->setFixedSize(m_imgAlive->sizeHint());
    m_imgAlive->setToolTip(
        QStringLiteral("The router is asked every 2 seconds whether it answers"));
    m_shpAlive = new ShapeLamp(this);
    m_shpAlive->setObjectName(QStringLiteral("shpAlive"));
    m_shpAlive->setFixedSize(m_shpAlive->sizeHint());
    m_txtStatus = Controls::makeLabel({}, this, QStringLiteral("txtStatus"));
    m_txtStatus->setMinimumWidth(110);
    m_imgAlive->hide();
    m_shpAlive->hide();
    m_txtStatus->hide();
    row->addWidget(m_imgAlive);
    row->addWidget(m_shpAlive);
    row->addWidget(m_txtStatus);

    StatusPoller &poller = core.poller();
    connect(&poller, &StatusPoller::aliveIndicatorVisible, this, [this](bool visible) {
        m_imgAlive->setVisible(visible);
        m_shpAlive->setVisible(visible);
        // The state text is kept only for the model that is polled.
        m_txtStatus->setVisible(visible);
    });
    connect(&poller, &StatusPoller::matrixOnlineChanged, this, [this](bool online) {
        m_txtStatus->setText(StatusPoller::MatrixStateText(online));
        m_shpAlive->setColourValue(online ? ShapeLamp::kGreen : ShapeLamp::kRed);
        m_shpAlive->setToolTip(m_txtStatus->text());
    });
}

void TopBar::setRouterLabel(const QString &label)
{
    m_lblRouterType->setText(label);
    m_lblRouterTypeShadow->setText(label);
}

} // namespace corvantis

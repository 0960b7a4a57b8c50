#include "ui/VectorPictures.h"

#include "ui/Theme.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>

namespace corvantis {

namespace {

void drawLetter(QPainter &painter, const QRectF &rect, const QString &letter, const QColor &colour)
{
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(std::max(6, qRound(rect.height() * 0.62)));
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(rect, Qt::AlignCenter, letter);
}

QColor dim(const QColor &colour, bool enabled)
{
    return enabled ? colour : colour.darker(170);
}

} // namespace

QColor VectorPictures::levelColour(int index)
{
    switch (index) {
    case 0:
        return Theme::kVideo;
    case 1:
        return Theme::kAudio;
    default:
        return Theme::kAllLevels;
    }
}

QString VectorPictures::levelText(int index)
{
    switch (index) {
    case 0:
        return QStringLiteral("Video");
    case 1:
        return QStringLiteral("Audio");
    default:
        return QStringLiteral("All");
    }
}

void VectorPictures::paintTruth(QPainter &painter, const QRectF &cell, int mark)
{
    if (mark == kConfirmed)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = cell.center();
    const qreal side = std::min(cell.width(), cell.height());
    const qreal pen = std::max(1.0, side * 0.07);
    painter.setClipRect(cell);
    switch (mark) {
    case kPending: {
        // An open ring, dashed: asked for, not yet done.
        QPen ring(Theme::kPending, pen, Qt::CustomDashLine, Qt::FlatCap);
        ring.setDashPattern({2.0, 1.5});
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(centre, side * 0.32, side * 0.32);
        break;
    }
    case kPreset: {
        // A square frame: chosen for the next Take, nothing asked of the router yet.
        painter.setPen(QPen(Theme::kPending, pen));
        painter.setBrush(Qt::NoBrush);
        const qreal half = side * 0.3;
        painter.drawRect(QRectF(centre - QPointF(half, half), centre + QPointF(half, half)));
        break;
    }
    case kFailed: {
        // A dark-edged triangle in the corner: the last route here was not accepted.
        const qreal t = side * 0.5;
        const QPointF corner = cell.topRight();
        const QPolygonF triangle{corner, corner + QPointF(-t, 0), corner + QPointF(0, t)};
        painter.setPen(QPen(QColor(0x20, 0x20, 0x20), std::max(1.0, side * 0.04)));
        painter.setBrush(Theme::kFailed);
        painter.drawPolygon(triangle);
        break;
    }
    case kStale: {
        // Washed out and hatched: last confirmed, nobody knows now.
        QColor wash = Theme::kGrid;
        wash.setAlpha(170);
        painter.fillRect(cell, wash);
        painter.setPen(QPen(Theme::kStale, std::max(1.0, side * 0.04)));
        for (qreal x = -side; x < side; x += side / 4)
            painter.drawLine(QPointF(cell.left() + x, cell.bottom()),
                             QPointF(cell.left() + x + side, cell.top()));
        break;
    }
    default:
        break;
    }
    painter.restore();
}

void VectorPictures::paintCell(QPainter &painter, const QRectF &cell, int picture)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = cell.center();
    const qreal side = std::min(cell.width(), cell.height());
    if (picture == kEmpty) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::kGridMajorLine);
        painter.drawEllipse(centre, side * 0.06, side * 0.06);
        painter.restore();
        return;
    }
    const qreal radius = side * 0.34;
    const QColor colour = picture == kVideo   ? Theme::kVideo
                          : picture == kAudio ? Theme::kAudio
                                              : Theme::kAllLevels;
    QRadialGradient fill(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.6);
    fill.setColorAt(0.0, colour.lighter(125));
    fill.setColorAt(1.0, colour.darker(115));
    painter.setPen(QPen(colour.darker(160), std::max(1.0, side * 0.04)));
    painter.setBrush(fill);
    painter.drawEllipse(centre, radius, radius);
    if (picture != kAllLevels) {
        const QRectF letterBox(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
        drawLetter(painter, letterBox,
                   picture == kVideo ? QStringLiteral("V") : QStringLiteral("A"),
                   QColor(0x20, 0x20, 0x20));
    }
    painter.restore();
}

void VectorPictures::paintSelector(QPainter &painter, const QRectF &rect, bool pointsDown,
                                   ButtonState state)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(rect.width(), rect.height());
    const QRectF box(rect.center().x() - side / 2 + 1, rect.center().y() - side / 2 + 1, side - 2,
                     side - 2);
    QColor face = state.pressed   ? QColor(0x38, 0x38, 0x38)
                  : state.hovered ? QColor(0x6C, 0x6C, 0x6C)
                                  : QColor(0x58, 0x58, 0x58);
    painter.setPen(QPen(dim(QColor(0x7A, 0x7A, 0x7A), state.enabled), 1));
    painter.setBrush(dim(face, state.enabled));
    painter.drawRoundedRect(box, side * 0.2, side * 0.2);

    const QPointF c = box.center();
    const qreal a = side * 0.2;
    QPainterPath arrow;
    if (pointsDown) {
        arrow.moveTo(c.x() - a, c.y() - a * 0.55);
        arrow.lineTo(c.x() + a, c.y() - a * 0.55);
        arrow.lineTo(c.x(), c.y() + a * 0.75);
    } else {
        arrow.moveTo(c.x() - a * 0.55, c.y() - a);
        arrow.lineTo(c.x() - a * 0.55, c.y() + a);
        arrow.lineTo(c.x() + a * 0.75, c.y());
    }
    arrow.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(dim(Theme::kBright, state.enabled));
    painter.drawPath(arrow);
    painter.restore();
}

void VectorPictures::paintNameMarker(QPainter &painter, const QRectF &rect, bool enabled)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(rect.width(), rect.height()) * 0.5;
    const QPointF c = rect.center();
    QPainterPath arrow;
    arrow.moveTo(c.x() - side * 0.45, c.y() - side * 0.6);
    arrow.lineTo(c.x() + side * 0.55, c.y());
    arrow.lineTo(c.x() - side * 0.45, c.y() + side * 0.6);
    arrow.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(dim(QColor(0x90, 0x90, 0x90), enabled));
    painter.drawPath(arrow);
    painter.restore();
}

void VectorPictures::paintLockMark(QPainter &painter, const QRectF &rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = std::min(rect.width(), rect.height()) * 0.42;
    const QRectF body(rect.right() - w - 1, rect.top() + w * 0.55, w, w * 0.75);
    painter.setPen(QPen(QColor(0xF0, 0xC0, 0x30), std::max<qreal>(1.0, w * 0.14)));
    painter.setBrush(Qt::NoBrush);
    const QRectF shackle(body.left() + w * 0.2, rect.top() + 1, w * 0.6, w * 0.9);
    painter.drawArc(shackle, 0, 180 * 16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xF0, 0xC0, 0x30));
    painter.drawRect(body);
    painter.restore();
}

void VectorPictures::paintLevel(QPainter &painter, const QRectF &rect, int index, bool down,
                                ButtonState state)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = levelColour(index);
    const QRectF box = rect.adjusted(1, 1, -1, -1);
    const qreal radius = box.height() / 2;
    if (down) {
        painter.setPen(QPen(colour.darker(140), 1));
        painter.setBrush(dim(colour, state.enabled));
    } else {
        painter.setPen(
            QPen(dim(state.hovered ? colour : QColor(0x78, 0x78, 0x78), state.enabled), 1.2));
        painter.setBrush(state.hovered ? QColor(0x4A, 0x4A, 0x4A) : QColor(0x38, 0x38, 0x38));
    }
    painter.drawRoundedRect(box, radius, radius);

    // A dot in the level's cell picture, then the level's name.
    const qreal dot = box.height() * 0.26;
    const QPointF dotCentre(box.left() + radius, box.center().y());
    painter.setPen(down ? QPen(colour.darker(190), 1) : Qt::NoPen);
    painter.setBrush(down ? QColor(0x20, 0x20, 0x20) : dim(colour, state.enabled));
    painter.drawEllipse(dotCentre, dot, dot);

    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(std::max(7, qRound(box.height() * 0.46)));
    painter.setFont(font);
    painter.setPen(down ? QColor(0x1C, 0x1C, 0x1C) : dim(Theme::kText, state.enabled));
    const QRectF textBox(box.left() + radius * 1.9, box.top(), box.width() - radius * 2.4,
                         box.height());
    painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft, levelText(index));
    painter.restore();
}

void VectorPictures::paintAlive(QPainter &painter, const QRectF &rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = rect.width();
    const qreal h = rect.height();
    const qreal x = rect.left();
    const qreal mid = rect.center().y();
    QPainterPath pulse;
    pulse.moveTo(x, mid);
    pulse.lineTo(x + w * 0.28, mid);
    pulse.lineTo(x + w * 0.40, rect.top() + h * 0.15);
    pulse.lineTo(x + w * 0.55, rect.bottom() - h * 0.15);
    pulse.lineTo(x + w * 0.66, mid);
    pulse.lineTo(x + w, mid);
    painter.setPen(
        QPen(Theme::kText, std::max(1.2, h * 0.09), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(pulse);
    painter.restore();
}

void VectorPictures::paintLamp(QPainter &painter, const QRectF &rect, const QColor &colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal r = std::min(rect.width(), rect.height()) / 2 - 1;
    const QPointF c = rect.center();
    QRadialGradient glow(c - QPointF(r * 0.3, r * 0.3), r * 1.4);
    glow.setColorAt(0.0, colour.lighter(160));
    glow.setColorAt(0.6, colour);
    glow.setColorAt(1.0, colour.darker(160));
    painter.setPen(QPen(QColor(0x20, 0x20, 0x20), 1));
    painter.setBrush(glow);
    painter.drawEllipse(c, r, r);
    painter.restore();
}

} // namespace corvantis

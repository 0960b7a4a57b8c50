#include "ui/PictureButton.h"

#include "ui/VectorPictures.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace corvantis {

PictureButton::PictureButton(Kind kind, int index, QWidget *parent)
    : QWidget(parent), m_kind(kind), m_index(index)
{
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    if (kind == Kind::InputSelector || kind == Kind::OutputSelector || kind == Kind::Level)
        setCursor(Qt::PointingHandCursor);
}

void PictureButton::setDown(bool down)
{
    if (m_down == down)
        return;
    m_down = down;
    update();
}

QSize PictureButton::sizeHint() const
{
    switch (m_kind) {
    case Kind::Level:
        return {76, 26};
    case Kind::Alive:
        return {26, 16};
    default:
        return {22, 22};
    }
}

void PictureButton::setLocked(bool locked)
{
    if (m_locked == locked)
        return;
    m_locked = locked;
    update();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF area = rect();
    const VectorPictures::ButtonState state{isEnabled(), m_hovered, m_pressed};
    switch (m_kind) {
    case Kind::InputSelector:
        VectorPictures::paintSelector(painter, area, false, state);
        break;
    case Kind::OutputSelector:
        VectorPictures::paintSelector(painter, area, true, state);
        break;
    case Kind::NameMarker:
        VectorPictures::paintNameMarker(painter, area, isEnabled());
        break;
    case Kind::Level:
        VectorPictures::paintLevel(painter, area, m_index, m_down, state);
        break;
    case Kind::CellPicture:
        VectorPictures::paintCell(painter, area, m_index);
        break;
    case Kind::Alive:
        VectorPictures::paintAlive(painter, area);
        break;
    }
    if (m_locked)
        VectorPictures::paintLockMark(painter, area);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    update();
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    update();
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        emit clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PictureButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QWidget::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    m_pressed = false;
    update();
    QWidget::leaveEvent(event);
}

void PictureButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

} // namespace corvantis

#include "ui/NumberLabel.h"

#include <QMouseEvent>

namespace corvantis {

NumberLabel::NumberLabel(QWidget *parent) : QLabel(parent) {}

void NumberLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace corvantis

#include "ui/ShapeLamp.h"

#include "ui/VectorPictures.h"

#include <QPainter>

namespace corvantis {

ShapeLamp::ShapeLamp(QWidget *parent) : QWidget(parent) {}

void ShapeLamp::setColourValue(int value)
{
    if (m_colourValue == value)
        return;
    m_colourValue = value;
    update();
}

void ShapeLamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor colour(m_colourValue & 0xFF, (m_colourValue >> 8) & 0xFF,
                        (m_colourValue >> 16) & 0xFF);
    VectorPictures::paintLamp(painter, rect(), colour);
}

} // namespace corvantis

#pragma once

#include <QWidget>

namespace corvantis {

// The coloured online shape. Its colour is kept as the window system's colour value (red in
// the lowest byte, then green, then blue): 65280 green, 255 red.
class ShapeLamp : public QWidget {
    Q_OBJECT

public:
    static constexpr int kGreen = 0x00FF00;
    static constexpr int kRed = 0x0000FF;

    explicit ShapeLamp(QWidget *parent = nullptr);

    int colourValue() const { return m_colourValue; }
    void setColourValue(int value);

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_colourValue = 0x808080;
};

} // namespace corvantis

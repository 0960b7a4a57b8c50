#pragma once

#include <QWidget>

class QLabel;

namespace corvantis {

class AppCore;
class PictureButton;
class ShapeLamp;

// The row above the grid: the router family and matrix size with its shadow, the level
// selector in the middle, and the lamp that shows whether the polled router answers.
class TopBar : public QWidget {
    Q_OBJECT

public:
    TopBar(AppCore &core, QWidget *levelSelector, QWidget *parent = nullptr);

    void setRouterLabel(const QString &label);

private:
    QLabel *m_lblRouterType = nullptr;
    QLabel *m_lblRouterTypeShadow = nullptr;
    PictureButton *m_imgAlive = nullptr;
    ShapeLamp *m_shpAlive = nullptr;
    QLabel *m_txtStatus = nullptr;
};

} // namespace corvantis

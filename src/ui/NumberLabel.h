#pragma once

#include <QLabel>

namespace corvantis {

// A logical port number beside the grid; a click on an input's number acts as a click on
// its selector.
class NumberLabel : public QLabel {
    Q_OBJECT

public:
    explicit NumberLabel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace corvantis

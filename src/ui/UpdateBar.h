#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace corvantis {

class AppCore;

// The row below the grid: "Update Matrix" and the error line, which shows the link's
// current message.
class UpdateBar : public QWidget {
    Q_OBJECT

public:
    explicit UpdateBar(AppCore &core, QWidget *parent = nullptr);

    void setUpdateShown(bool shown);
    void setControlsEnabled(bool enabled);

signals:
    void updateClicked();

private:
    QPushButton *m_cmdUpdate = nullptr;
    QLabel *m_txtErrMsg = nullptr;
};

} // namespace corvantis

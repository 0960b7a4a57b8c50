#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace corvantis {

class AppCore;

// The row below the grid: "Update Matrix", take mode with Take and Clear, the progress of a
// batch of routes, and the error line,
// which shows the link's current message.
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
    QPushButton *m_cmdTakeMode = nullptr;
    QPushButton *m_cmdTake = nullptr;
    QPushButton *m_cmdClear = nullptr;
    QLabel *m_txtProgress = nullptr;
    QLabel *m_txtErrMsg = nullptr;
};

} // namespace corvantis

#pragma once

#include <QFrame>

class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace corvantis {

// RS-232 switching: a frame address with its arrows, an input and an output, Connect and
// Disconnect. Shown for the models that switch RS-232 besides video and audio.
class SwitchingPanel : public QFrame {
    Q_OBJECT

public:
    // 1275 twips: what the window grows by while the panel is shown.
    static constexpr int kHeight = 85;

    explicit SwitchingPanel(QWidget *parent = nullptr);

    // The lists offer inputs 1 to maxInput + 1 and outputs 1 to maxOutput + 1.
    void setPorts(int maxInput, int maxOutput);
    void setControlsEnabled(bool enabled);

signals:
    // What the panel showed at the click: the address text and the list positions.
    void switchRequested(bool connect, const QString &address, int output, int input);

private:
    void stepAddress(int step);
    void requestSwitch(bool connect);

    QLineEdit *m_txtAddy = nullptr;
    QComboBox *m_cboRsIn = nullptr;
    QComboBox *m_cboRsOut = nullptr;
    QPushButton *m_btnRsGo = nullptr;
    QPushButton *m_btnRsNo = nullptr;
};

} // namespace corvantis

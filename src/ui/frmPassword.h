#pragma once

#include <QDialog>

class QLineEdit;

namespace corvantis {

class AppCore;

// "Protected Area": the password in front of the router address change. A wrong password
// keeps the prompt open with an empty box, as often as it is tried; the right one opens
// "Internal Setup" and the prompt closes after it.
class frmPassword : public QDialog {
    Q_OBJECT

public:
    explicit frmPassword(AppCore &core, QWidget *parent = nullptr);

private:
    void okClicked();

    AppCore &m_core;
    QLineEdit *m_txtPassword = nullptr;
};

} // namespace corvantis

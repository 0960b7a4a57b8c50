#pragma once

#include "service/PanelListening.h"
#include "service/WebListening.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace corvantis {

// The window's choice to serve network control panels and the web panel, and on which
// addresses; the web panel's PIN is set here too.
class frmControlPanels : public QDialog {
    Q_OBJECT

public:
    frmControlPanels(const PanelListening::Choice &choice, const WebListening::Choice &web,
                     QWidget *parent = nullptr);

    PanelListening::Choice choice() const;
    WebListening::Choice webChoice() const;
    // Empty: the PIN stays as it is.
    QString newPin() const;
    bool removePin() const;

private:
    QWidget *webGroup(const WebListening::Choice &web);

    QCheckBox *m_chkListen = nullptr;
    QLineEdit *m_txtAddress = nullptr;
    QCheckBox *m_chkWeb = nullptr;
    QLineEdit *m_txtWebAddress = nullptr;
    QCheckBox *m_chkWebViewing = nullptr;
    QLineEdit *m_txtPin = nullptr;
    QCheckBox *m_chkRemovePin = nullptr;
    QLineEdit *m_txtCertificate = nullptr;
    QLineEdit *m_txtKey = nullptr;
};

} // namespace corvantis

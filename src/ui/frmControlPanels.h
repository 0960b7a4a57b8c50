#pragma once

#include "service/PanelListening.h"
#include "service/WebListening.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QGroupBox;
class QLineEdit;

namespace corvantis {

// The window's choice of control servers to run, each on its own address, and of the web panel
// with its PIN.
class frmControlPanels : public QDialog {
    Q_OBJECT

public:
    // One section per server, as each is now, then the web panel's.
    frmControlPanels(const QList<PanelListening *> &servers, const WebListening::Choice &web,
                     QWidget *parent = nullptr);

    // In the order of the servers given.
    QList<PanelListening::Choice> choices() const;
    WebListening::Choice webChoice() const;
    // Empty: the PIN stays as it is.
    QString newPin() const;
    bool removePin() const;

private:
    struct Section {
        QGroupBox *serve;
        QLineEdit *address;
    };
    QWidget *webGroup(const WebListening::Choice &web);

    QList<Section> m_sections;
    QCheckBox *m_chkWeb = nullptr;
    QLineEdit *m_txtWebAddress = nullptr;
    QCheckBox *m_chkWebViewing = nullptr;
    QLineEdit *m_txtPin = nullptr;
    QCheckBox *m_chkRemovePin = nullptr;
    QLineEdit *m_txtCertificate = nullptr;
    QLineEdit *m_txtKey = nullptr;
};

} // namespace corvantis

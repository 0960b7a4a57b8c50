#pragma once

#include "service/PanelListening.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace corvantis {

// The window's choice to serve network control panels, and on which address.
class frmControlPanels : public QDialog {
    Q_OBJECT

public:
    explicit frmControlPanels(const PanelListening::Choice &choice, QWidget *parent = nullptr);

    PanelListening::Choice choice() const;

private:
    QCheckBox *m_chkListen = nullptr;
    QLineEdit *m_txtAddress = nullptr;
};

} // namespace corvantis

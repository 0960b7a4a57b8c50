#pragma once

#include "link/AddressChange.h"

#include <QDialog>

class QComboBox;
class QPushButton;

namespace corvantis {

class AppCore;

// "Internal Setup": picks a router's current frame address and its new one and sends the
// change, each Apply as one action on the core's path. OK applies and closes once the router
// has answered; Cancel closes.
class frmInternalSetup : public QDialog {
    Q_OBJECT

public:
    explicit frmInternalSetup(AppCore &core, QWidget *parent = nullptr);

public slots:
    // A change in flight cannot be walked away from; the dialog closes once it has answered.
    void reject() override;

private:
    void apply(bool closeAfter);
    void setButtonsEnabled(bool enabled);

    AppCore &m_core;
    QComboBox *m_cboCurFrameAddress = nullptr;
    QComboBox *m_cboNewFrameAddress = nullptr;
    QPushButton *m_cmdApply = nullptr;
    QPushButton *m_cmdOK = nullptr;
    QPushButton *m_cmdCancel = nullptr;
    bool m_applying = false;
};

} // namespace corvantis

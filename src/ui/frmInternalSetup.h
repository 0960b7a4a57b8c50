#pragma once

#include "link/AddressChange.h"

#include <QDialog>

class QComboBox;
class QPushButton;

namespace corvantis {

class SerialLink;
struct Settings;

// "Internal Setup": picks a router's current frame address and its new one and sends the
// change. Each Apply sends one command; OK applies and closes; Cancel closes.
class frmInternalSetup : public QDialog {
    Q_OBJECT

public:
    frmInternalSetup(const Settings &settings, SerialLink &link, QWidget *parent = nullptr);

public slots:
    // A change in flight cannot be walked away from; the dialog closes once it has answered.
    void reject() override;

private:
    void applyClicked();
    void okClicked();
    void setButtonsEnabled(bool enabled);

    AddressChange m_change;
    QComboBox *m_cboCurFrameAddress = nullptr;
    QComboBox *m_cboNewFrameAddress = nullptr;
    QPushButton *m_cmdApply = nullptr;
    QPushButton *m_cmdOK = nullptr;
    QPushButton *m_cmdCancel = nullptr;
    bool m_applying = false;
};

} // namespace corvantis

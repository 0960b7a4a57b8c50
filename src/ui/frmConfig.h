#pragma once

#include "config/SetupDialogModel.h"
#include "ui/AdvancedSettingsFrame.h"
#include "ui/PortTargetLabel.h"
#include "ui/RouterRowsPanel.h"

#include <QDialog>
#include <array>
#include <string>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvantis {

struct Configuration;

// "Configure Router": serial port, time-out, gap, framing and the routers on the line. It edits
// copies and hands the accepted setup back through writeResults(); it never opens the port.
// Every control's objectName is its name; the four router rows are numbered, as in
// "cboRouter_0" to "cboRouter_3".
class frmConfig : public QDialog {
    Q_OBJECT

public:
    // Room for every settings row, the pairing note included; the advanced part adds its own.
    static constexpr int kNormalHeight = 316;
    static constexpr int kAdvancedHeight = kNormalHeight + 221;
    static constexpr int kWidth = 640;

    explicit frmConfig(const Configuration &config, QWidget *parent = nullptr);

    // After the dialog was accepted: the settings and routers it was given back. Does nothing
    // when it was not.
    void writeResults(Configuration &config) const;
    // The accepted setup as a value, to be applied when the program's turn comes.
    std::optional<SetupDialogModel::Result> results() const;
    const SetupDialogModel &model() const { return m_model; }

signals:
    void familyLabelChanged(const QString &label);
    void changeRouterAddressRequested();
    void uploadEdidRequested(int frameAddress, const QString &path, const QString &comPortName);
    void helpRequested(int topic);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildSettings();
    QWidget *buildButtons();
    void ApplyColours();

    void refresh();
    void showPairingNote();
    void updatePortHint();
    void applyHeight();

    void commitBox(const RouterRowsPanel::BoxEdit &edit);
    void commitFocusedBox();
    void routerCountChosen(int index);
    void scrolled(int value);
    void advancedToggled(bool on);
    void modelChosen(int row, int index);
    void okClicked();
    void cancelClicked();

    SetupDialogModel m_model;
    // Where the ports folder and the EDID files are; fixed while the dialog is open.
    std::string m_dataFolder;

    QComboBox *m_cboRouterCount = nullptr;
    QComboBox *m_cboCom = nullptr;
    QLabel *m_lblPairingNote = nullptr;
    PortTargetLabel *m_lblComTarget = nullptr;
    QLineEdit *m_txtPortAddress = nullptr;
    QComboBox *m_cboCommType = nullptr;
    QLineEdit *m_txtTimeout = nullptr;
    QLineEdit *m_txtGap = nullptr;
    RouterRowsPanel *m_rows = nullptr;
    QLabel *m_lblExtraHelp = nullptr;
    QPushButton *m_btnResetMapping = nullptr;
    QPushButton *m_btnAdvanced = nullptr;
    QPushButton *m_btnOK = nullptr;
    QPushButton *m_btnCancel = nullptr;
    std::array<QFrame *, 2> m_separators{};
    AdvancedSettingsFrame *m_fraAdvanced = nullptr;
};

} // namespace corvantis

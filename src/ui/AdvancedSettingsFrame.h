#pragma once

#include <QGroupBox>
#include <string>

class QComboBox;
class QLineEdit;

namespace corvantis {

// The setup dialog's advanced part: giving a router a new address and uploading an EDID file
// to one. It only asks; the dialog's owner does the work on the line.
class AdvancedSettingsFrame : public QGroupBox {
    Q_OBJECT

public:
    // The EDID files are looked for first in dataFolder.
    explicit AdvancedSettingsFrame(std::string dataFolder, QWidget *parent = nullptr);

signals:
    void changeRouterAddressRequested();
    void uploadEdidRequested(int frameAddress, const QString &path);

private:
    void openEdidClicked();

    std::string m_dataFolder;
    QComboBox *m_cboFrameAddress = nullptr;
    QLineEdit *m_txtEdidFile = nullptr;
};

} // namespace corvantis

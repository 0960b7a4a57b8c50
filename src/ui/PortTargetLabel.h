#pragma once

#include "link/AddressProbe.h"

#include <QLabel>
#include <string>

namespace corvantis {

class SetupDialogModel;

// Beside the port list: the device or address the chosen port leads to, whether it is there,
// and for an address whether something answers on it.
class PortTargetLabel : public QLabel {
    Q_OBJECT

public:
    // Port links are looked for in the folder "ports" of dataFolder.
    explicit PortTargetLabel(std::string dataFolder, QWidget *parent = nullptr);

    // portName is the port as the list shows it.
    void present(const SetupDialogModel &model, const QString &portName);

private:
    void presentAddress(const std::string &text);

    std::string m_dataFolder;
    AddressProbe m_addressProbe;
};

} // namespace corvantis

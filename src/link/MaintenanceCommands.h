#pragma once

#include "util/Task.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <chrono>
#include <optional>

namespace corvantis {

class SerialLink;
struct Settings;

// The router requests of the Data and Help menus (firmware version, flash data, RS-232 and
// IR control modes) and the RS-232 switching panel's buttons. The menu requests write fixed
// frames to the router at frame address 0 and read what came back after a short pause; the
// panel's buttons go through SendCommand.
class MaintenanceCommands : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kReplyWait{50};
    // Characters of a Type B version reply that are shown.
    static constexpr int kVersionLength = 11;
    // Characters of a Type A version reply, shown separated by full stops.
    static constexpr int kTypeAVersionLength = 3;
    static constexpr int kMaxFrameAddress = 15;

    MaintenanceCommands(const Settings &settings, SerialLink &link, QObject *parent = nullptr);

    Task<void> FirmwareVersion();
    // Type B only; under Type A these send nothing.
    Task<void> FlashData();
    Task<void> SetRs232Mode();
    Task<void> SetIrMode();
    // Connect or Disconnect of the RS-232 panel, positions as the lists give them (-1 when
    // nothing is selected). True when the command went out.
    Task<bool> RsSwitch(bool connect, QString addressText, int outputPosition, int inputPosition);

    bool rs232Checked() const { return m_rs232Checked; }
    bool irChecked() const { return m_irChecked; }

    // "Firmware Ver. : ..." for a reply; a reply shorter than expected shows what arrived.
    static QString FirmwareText(int commType, const QByteArray &reply);
    // The panel's frame address, or nothing when the text is not a whole number 0 to 15.
    static std::optional<int> ParseFrameAddress(const QString &text);

signals:
    void modeChecksChanged(bool rs232, bool ir);

private:
    // Writes the frame, waits, and returns what arrived; nothing when it could not be sent.
    Task<std::optional<QByteArray>> request(QByteArray frame);
    Task<void> setMode(QByteArray frame, bool rs232);

    const Settings &m_settings;
    SerialLink &m_link;
    bool m_rs232Checked = false;
    bool m_irChecked = false;
};

} // namespace corvantis

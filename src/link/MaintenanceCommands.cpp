#include "link/MaintenanceCommands.h"

#include "config/Settings.h"
#include "link/Framing.h"
#include "link/SerialLink.h"
#include "util/Platform.h"
#include "util/Version.h"

#include <algorithm>

namespace corvantis {

namespace {

const QString kNoCommunication = QStringLiteral("No Router Communication");

// Only two decimal digits travel in a Type B RS-232 frame.
constexpr int kMaxRsPort = 99;

} // namespace

MaintenanceCommands::MaintenanceCommands(const Settings &settings, SerialLink &link,
                                         QObject *parent)
    : QObject(parent), m_settings(settings), m_link(link)
{
}

QString MaintenanceCommands::FirmwareText(int commType, const QByteArray &reply)
{
    QString version;
    if (commType == kTypeA) {
        for (qsizetype i = 0; i < std::min<qsizetype>(reply.size(), kTypeAVersionLength); ++i) {
            if (i > 0)
                version += QLatin1Char('.');
            version += QLatin1Char(reply[i]);
        }
    } else {
        version = QString::fromLatin1(reply.left(kVersionLength));
    }
    return QStringLiteral("Firmware Ver. : ") + version;
}

std::optional<int> MaintenanceCommands::ParseFrameAddress(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 2)
        return std::nullopt;
    for (const QChar c : trimmed) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const int address = trimmed.toInt();
    if (address > kMaxFrameAddress)
        return std::nullopt;
    return address;
}

Task<std::optional<QByteArray>> MaintenanceCommands::request(QByteArray frame)
{
    // Held, so the timer's receive handling does not take the answer for a report of the
    // router's own.
    const auto hold = m_link.HoldLine();
    if (!hold) {
        m_link.SetErrMsg(QStringLiteral("Link busy, try again"));
        co_return std::nullopt;
    }
    const bool open = co_await m_link.EnsureOpen(*hold);
    if (!open)
        co_return std::nullopt;
    const auto exchange =
        co_await m_link.Exchange(*hold, frame, SerialLink::ReplyWait::textAfter(kReplyWait));
    m_link.setReplyReceived(false);
    co_return exchange.reply;
}

Task<void> MaintenanceCommands::FirmwareVersion()
{
    const int commType = m_settings.CommType;
    if (commType != kTypeA && commType != kTypeB)
        co_return;
    auto reply = co_await request(toFrame(FirmwareRequest(commType)));
    if (!reply)
        co_return;
    // A Type B status reply is one byte of 128 or more per output, the version is text: a
    // status reply that came late is not taken for the version.
    if (commType == kTypeB)
        reply->removeIf([](char byte) { return static_cast<unsigned char>(byte) >= 0x80; });
    if (reply->isEmpty()) {
        m_link.SetErrMsg(kNoCommunication);
        co_return;
    }
    platform().messageBox(FirmwareText(commType, *reply).toStdString(), kProgramTitle,
                          MessageButtons::Ok, MessageIcon::None);
}

Task<void> MaintenanceCommands::FlashData()
{
    if (m_settings.CommType != kTypeB)
        co_return;
    const auto reply = co_await request(toFrame(FlashDataRequest()));
    if (reply && !reply->isEmpty() && reply->front() != kAck)
        m_link.SetErrMsg(kNoCommunication);
}

Task<void> MaintenanceCommands::SetRs232Mode()
{
    return setMode(toFrame(ControlModeRequest(true)), true);
}

Task<void> MaintenanceCommands::SetIrMode()
{
    return setMode(toFrame(ControlModeRequest(false)), false);
}

Task<void> MaintenanceCommands::setMode(QByteArray frame, bool rs232)
{
    if (m_settings.CommType != kTypeB)
        co_return;
    const auto reply = co_await request(frame);
    if (!reply)
        co_return;
    if (reply->isEmpty()) {
        m_link.SetErrMsg(kNoCommunication);
        co_return;
    }
    if (reply->front() != kAck)
        co_return;
    m_rs232Checked = rs232;
    m_irChecked = !rs232;
    emit modeChecksChanged(m_rs232Checked, m_irChecked);
}

Task<bool> MaintenanceCommands::RsSwitch(bool connect, QString addressText, int outputPosition,
                                         int inputPosition)
{
    const auto address = ParseFrameAddress(addressText);
    if (!address) {
        m_link.SetErrMsg(QStringLiteral("Router address must be a whole number from 0 to 15"));
        co_return false;
    }
    // No selection (-1) sends 0, as the router expects for "none".
    const int output = outputPosition + 1;
    const int input = inputPosition + 1;
    if (output < 0 || output > kMaxRsPort || input < 0 || input > kMaxRsPort) {
        m_link.SetErrMsg(QStringLiteral("RS-232 port number out of range"));
        co_return false;
    }
    const int result = co_await m_link.SendCommand(
        *address, connect ? CmdRsConnect : CmdRsDisconnect, output, input, false);
    co_return result == kAck;
}

} // namespace corvantis

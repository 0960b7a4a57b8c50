#include "link/AddressChange.h"

#include "config/Settings.h"
#include "link/Framing.h"
#include "link/SerialLink.h"
#include "util/Platform.h"
#include "util/Version.h"

namespace corvantis {

namespace {

const QString kPassword = QStringLiteral("velto");
constexpr int kTwoByteAnswerBase = 128;

} // namespace

AddressChange::AddressChange(const Settings &settings, SerialLink &link)
    : m_settings(settings), m_link(link)
{
}

bool AddressChange::PasswordMatches(const QString &typed)
{
    return typed == kPassword;
}

AddressChange::Outcome AddressChange::Interpret(int commType, int result, int selectedNewAddress)
{
    if (result == kAck)
        return {true, selectedNewAddress};
    if (commType == kTypeB && result >= kTwoByteAnswerBase)
        return {true, result - kTwoByteAnswerBase};
    return {};
}

QString AddressChange::SuccessText(int currentAddress, int newAddress)
{
    return QStringLiteral("Frame Address change success... \r\nOld FrameAddress: %1\r\n"
                          "New FrameAddress: %2")
        .arg(currentAddress)
        .arg(newAddress);
}

QString AddressChange::FailureText()
{
    return QStringLiteral("Frame Address change failed.");
}

Task<bool> AddressChange::Apply(int currentAddress, int newAddress)
{
    // Without a framing there is no frame to send, and so nothing to report either.
    if (m_settings.CommType != kTypeA && m_settings.CommType != kTypeB)
        co_return false;
    Outcome outcome;
    // The lists hold 0 to 15 only; anything else has no frame to send.
    if (currentAddress >= 0 && currentAddress <= kMaxAddress && newAddress >= 0 &&
        newAddress <= kMaxAddress) {
        const int result =
            co_await m_link.SendCommand(currentAddress, CmdSetFrameAddress, newAddress, 0, true);
        outcome = Interpret(m_settings.CommType, result, newAddress);
    }
    if (outcome.success)
        platform().messageBox(SuccessText(currentAddress, outcome.newAddress).toStdString(),
                              kProgramTitle, MessageButtons::Ok, MessageIcon::Information);
    else
        platform().messageBox(FailureText().toStdString(), kProgramTitle, MessageButtons::Ok,
                              MessageIcon::Exclamation);
    co_return outcome.success;
}

} // namespace corvantis

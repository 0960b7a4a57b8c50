#pragma once

#include "util/Task.h"

#include <QString>

namespace corvantis {

class SerialLink;
struct Settings;

// Gives a router on the line a new frame address and reports how it went. The program's own
// configuration is left alone: the operator adjusts the router's entry afterwards.
class AddressChange {
public:
    static constexpr int kMaxAddress = 15;

    struct Outcome {
        bool success = false;
        // The address the router now answers to; meaningful on success only.
        int newAddress = -1;
    };

    AddressChange(const Settings &settings, SerialLink &link);

    // The protected area's password, compared exactly.
    static bool PasswordMatches(const QString &typed);
    // What SendCommand's result says: an accepted reply is a success at the chosen address
    // under either framing; a Type B two-byte answer (128 + n) is a success at n.
    static Outcome Interpret(int commType, int result, int selectedNewAddress);
    static QString SuccessText(int currentAddress, int newAddress);
    static QString FailureText();

    // Sends the change, waits for the reply and reports it through the platform. True on
    // success. Under a CommType other than Type A or B nothing is sent or shown.
    Task<bool> Apply(int currentAddress, int newAddress);

private:
    const Settings &m_settings;
    SerialLink &m_link;
};

} // namespace corvantis

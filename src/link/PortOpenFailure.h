#pragma once

#include <optional>
#include <string>

namespace corvantis {

// Why a local serial port did not open, and what the operator can do about it.
struct PortOpenFailure {
    // The device that was opened.
    std::string device;
    // For COMn: the ports-folder link that was looked for (empty otherwise).
    std::string comLink;
    bool comLinkExists = false;
    bool deviceExists = false;
    // The device exists but this user may not read and write it.
    bool permissionDenied = false;
    // Another program holds the device's lock file: its name or process number, when known.
    std::optional<std::string> heldBy;

    // Looks at the device, the link and the lock folder as they are now.
    static PortOpenFailure Probe(const std::string &device, const std::string &comLink,
                                 const std::string &lockFolder = "/var/lock");
    // The explanation for the error line; empty when none of the known causes applies.
    std::string Explain() const;
};

} // namespace corvantis

#pragma once

#include <QString>
#include <optional>

namespace corvantis {

// The one text that names the line: "COMn", a device path, socket://HOST:PORT (raw TCP, the
// device server owns the line settings) or rfc2217://HOST:PORT (Telnet with serial control).
struct PortAddress {
    enum class Kind { Device, Tcp, Rfc2217 };

    Kind kind = Kind::Device;
    // The text as the operator wrote it (trimmed), for messages.
    QString text;
    // For COMn and device paths: what the serial port opens.
    QString device;
    // For COMn: n; 0 for everything else.
    int comNumber = 0;
    // For the network forms; an IPv6 host is kept without its brackets.
    QString host;
    quint16 port = 0;

    bool isNetwork() const { return kind != Kind::Device; }

    // COMn resolves through the ports folder of dataFolder (ending in a separator), as the
    // setup dialog shows it. Empty with the reason in `error` when the text names no line.
    static std::optional<PortAddress> Parse(const QString &text, const std::string &dataFolder,
                                            QString *error = nullptr);
};

} // namespace corvantis

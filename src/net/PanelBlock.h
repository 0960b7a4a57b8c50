#pragma once

#include <QByteArray>
#include <QList>

namespace corvantis {

// One block of the panel protocol: a header line ending in ':' and its lines, without line
// ends. The empty line that ends a block is not part of it.
struct PanelBlock {
    QByteArray header;
    QList<QByteArray> lines;

    static constexpr const char *kPreamble = "PROTOCOL PREAMBLE:";
    static constexpr const char *kDevice = "VIDEOHUB DEVICE:";
    static constexpr const char *kInputLabels = "INPUT LABELS:";
    static constexpr const char *kOutputLabels = "OUTPUT LABELS:";
    static constexpr const char *kOutputLocks = "VIDEO OUTPUT LOCKS:";
    static constexpr const char *kOutputRouting = "VIDEO OUTPUT ROUTING:";
    static constexpr const char *kEndPrelude = "END PRELUDE:";
    static constexpr const char *kPing = "PING:";
    static constexpr const char *kAck = "ACK";
    static constexpr const char *kNak = "NAK";
};

} // namespace corvantis

#pragma once

#include <QByteArray>

namespace corvantis {

// One frame as the routers on the line see it, taken apart. Ports of route frames are 0-based
// whatever the framing; RS-232 ports stay as they travel (1-based).
struct SimFrame {
    enum class Kind {
        Unknown, // delimited, but no router acts on it (a bare header, for instance)
        TypeARoute,
        TypeADisconnect,
        TypeAStatus,
        TypeAAddress,
        TypeAHeader, // header and checksum only: the paired follow-up and RS-232 switching
        TypeBRoute,
        TypeBStatus,
        TypeBRsConnect,
        TypeBRsDisconnect,
        TypeBAddress,
        TypeBFlashData,
        TypeBVersion,
        TypeBRsMode,
        TypeBIrMode,
        EdidHeader,
        EdidBlock,
    };

    Kind kind = Kind::Unknown;
    QByteArray bytes;
    int address = -1;
    // Output, RS output or new frame address.
    int first = -1;
    // Input or RS input.
    int second = -1;
    // An EDID block whose ninth byte is the XOR of the other eight.
    bool blockValid = false;
};

} // namespace corvantis

#pragma once

#include "net/Swp08Framing.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvantis::swp08 {

// The general form packs matrix and level into one byte and numbers into 7 bits plus a
// multiplier; the extended form (command + 0x80) gives each its own byte and numbers 16 bits.
enum class Form { General, Extended };

enum class Command : std::uint8_t {
    Interrogate = 1,
    Connect = 2,
    Tally = 3,
    Connected = 4,
    ProtectInterrogate = 10,
    ProtectTally = 11,
    ProtectConnect = 12,
    ProtectConnected = 13,
    ProtectDisconnect = 14,
    ProtectDisconnected = 15,
    TallyDumpRequest = 21,
    TallyDumpByte = 22,
    TallyDumpWord = 23,
    SourceNamesRequest = 100,
    DestinationNamesRequest = 102,
    SourceNames = 106,
    DestinationNames = 107,
};
inline constexpr std::uint8_t kExtended = 0x80;

// How a destination is protected, as the protect answers carry it.
enum class Protect : std::uint8_t { None = 0, ByController = 1, ByOther = 2 };

// A request from a controller, decoded; valid false says why in reason.
struct Request {
    bool valid = false;
    std::string reason;
    Command command{};
    Form form = Form::General;
    int matrix = 0;
    int level = 0;
    int destination = 0;
    int source = 0;
    int device = 0;     // the protect requests' panel number
    int nameLength = 0; // 4, 8, 12 or 16
};

Request ParseRequest(std::span<const std::uint8_t> data);

// The answers, as message data (before framing).
Bytes CrosspointAnswer(Command command, Form form, int matrix, int level, int destination,
                       int source);
Bytes ProtectAnswer(Command command, Form form, int matrix, int level, int destination,
                    Protect state, int device);

// The routing of one level from destination `first` on, as many messages as it takes.
std::vector<Bytes> TallyDump(Form form, int matrix, int level, int first,
                             const std::vector<int> &sources);

// Names padded or cut to nameLength, from number `first` on, split as the protocol allows.
// Characters outside printable ASCII become '?'.
std::vector<Bytes> NamesAnswer(Command command, int matrix, int level, int nameLength, int first,
                               const std::vector<std::string> &names);
int NamesPerMessage(int nameLength);

// The number a request names as a 0-based index; general form reaches 0 to 1023.
inline constexpr int kMaxGeneralNumber = 1023;

} // namespace corvantis::swp08

#pragma once

// What the link makes of bytes that arrive, kept free of the port so the fuzzers, the
// benchmarks and the tests can feed it directly. Standard C++ only, header-only so the
// fuzz targets build without the Qt layers.

#include "link/Framing.h"
#include "model/LogicalMatrix.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvantis {

inline constexpr char kRemoteReport = 'U';
inline constexpr std::size_t kRemoteReportSize = 3;
inline constexpr int kStatusByteBase = 128;

// How SendCommand ends after reading the reply to its frame.
struct ReplyVerdict {
    int result = 0;
    // The new CommOK; empty leaves it as it was.
    std::optional<bool> commOk;
    // "No reply from the router" goes to the error line.
    bool noReply = false;
};

inline ReplyVerdict JudgeReply(int commType, int code, std::string_view reply,
                               std::string_view frame)
{
    if (IsValidReply(commType, reply, frame))
        return {kAck, true, false};
    if (commType == kTypeB) {
        if (code == CmdSetFrameAddress && reply.size() == 2)
            return {AddressChangeResult(reply), std::nullopt, false};
        return {0, false, true};
    }
    return {0, std::nullopt, true};
}

// The physical input a status byte names on a router with the given highest input index,
// or -1 when it names none (a byte below 128, or beyond the router's inputs).
inline std::int16_t StatusSource(char byte, int inputCount)
{
    const int source = static_cast<std::uint8_t>(byte) - kStatusByteBase;
    return static_cast<std::int16_t>(source >= 0 && source <= inputCount ? source : -1);
}

// Writes byte i of a status reply to the video and audio level of logical output i. Outputs
// beyond the reply and outputs that map to no router keep their state. Returns the number of
// outputs written.
inline int ApplyStatusReply(std::string_view reply, const LogicalMatrix &matrix)
{
    const int last = std::min(matrix.MaxOutput(), static_cast<int>(reply.size()) - 1);
    int written = 0;
    for (int i = 0; i <= last; ++i) {
        try {
            const PhysicalPort port = matrix.cvMatOutToPhy1(i, ViewOffsets{});
            if (!port.router || port.port < 0)
                continue;
            clsRouteState *state = port.router->RouteState(port.port);
            if (!state)
                continue;
            const auto source =
                StatusSource(reply[static_cast<std::size_t>(i)], port.router->InputCount());
            state->SetVideo(source);
            state->SetAudio(source);
            ++written;
        } catch (const std::exception &) {
            // One output that cannot be applied must not cost the others their update.
        }
    }
    return written;
}

namespace detail {
inline bool namesReportCell(char byte)
{
    const int value = static_cast<std::uint8_t>(byte);
    return value >= 1 && value <= 16;
}
} // namespace detail

// The grid cell (row x 16 + column) that a router's own "U" report names, or nothing when the
// data is not such a report or names no cell.
inline std::optional<int> RemoteReportCell(std::string_view data)
{
    if (data.size() < kRemoteReportSize || data[0] != kRemoteReport ||
        !detail::namesReportCell(data[1]) || !detail::namesReportCell(data[2]))
        return std::nullopt;
    return (static_cast<std::uint8_t>(data[1]) - 1) * 16 + (static_cast<std::uint8_t>(data[2]) - 1);
}

// The first bytes of a "U" report whose last ones are still on their way.
inline bool IsPartialReport(std::string_view data)
{
    return !data.empty() && data.size() < kRemoteReportSize && data[0] == kRemoteReport &&
           std::all_of(data.begin() + 1, data.end(), detail::namesReportCell);
}

// Input from the routers with their own "U" reports taken out. A router reports a front-panel
// change whenever it happens, so a report may sit before, after or between the bytes of an
// answer to a command; status and acknowledgement bytes never spell one.
struct SeparatedInput {
    std::string answer;
    std::vector<int> cells;
    // Bytes at the end of answer that may be a report still arriving.
    std::size_t tail = 0;
};

inline SeparatedInput SeparateRemoteReports(std::string_view data)
{
    SeparatedInput out;
    out.answer.reserve(data.size());
    std::size_t i = 0;
    while (i < data.size()) {
        const std::string_view rest = data.substr(i);
        if (const auto cell = RemoteReportCell(rest)) {
            out.cells.push_back(*cell);
            i += kRemoteReportSize;
            continue;
        }
        if (IsPartialReport(rest)) {
            out.answer.append(rest);
            out.tail = rest.size();
            break;
        }
        out.answer.push_back(data[i++]);
    }
    return out;
}

inline int CountAcks(std::string_view data)
{
    return static_cast<int>(std::count(data.begin(), data.end(), kAck));
}

} // namespace corvantis

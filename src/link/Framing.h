#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvantis {

// A frame or a reply: a string of bytes, compared byte-exactly.
using Bytes = std::string;

enum CommandCode : std::int32_t {
    CmdRoute = 0,
    CmdDisconnect = 2,
    CmdPairRoute = 3,
    CmdStatus = 4,
    CmdRsConnect = 5,
    CmdRsDisconnect = 6,
    CmdSetFrameAddress = 14,
};

inline constexpr std::int16_t kTypeA = 0;
inline constexpr std::int16_t kTypeB = 1;
inline constexpr char kAck = 0x06;

// The requests that carry no command code: fixed texts of the routers' protocol.
Bytes FirmwareRequest(int commType);
Bytes FlashDataRequest();
Bytes ControlModeRequest(bool rs232);

std::uint8_t XorChecksum(std::string_view bytes);
// The frame for (framing, frame address, code, p3, p4); empty when the framing has no frame
// for the code.
Bytes BuildFrame(int commType, int frameAddress, int code, int p3, int p4);
// Type B has no body for a disconnect or the pair's follow-up: such a frame is never sent,
// since a bare address on the line corrupts the next frame the router reads.
bool FramingCarries(int commType, int code);
bool IsValidReply(int commType, std::string_view reply, std::string_view frame);
// SendCommand's result for a Type B address change answered with two unaccepted bytes:
// 128 + the second byte.
int AddressChangeResult(std::string_view reply);

} // namespace corvantis

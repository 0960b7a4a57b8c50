#include "link/Framing.h"

#include "util/Numbers.h"

namespace corvantis {

namespace {

constexpr char kCarriageReturn = 0x0D;

char lowByte(int value)
{
    return static_cast<char>(static_cast<std::uint8_t>(value & 0xFF));
}

Bytes typeAFrame(int frameAddress, int code, int p3, int p4)
{
    Bytes frame{'\xBE', '\xEF', lowByte(frameAddress)};
    switch (code) {
    case CmdRoute:
        frame += {'\0', '\x00', lowByte(p4), lowByte(p3)};
        break;
    case CmdDisconnect:
        frame += {'\0', '\x32', lowByte(p3), '\0'};
        break;
    case CmdStatus:
        frame += {'\0', '\x04'};
        break;
    case CmdSetFrameAddress:
        frame += {'\0', '\x0E', lowByte(p3)};
        break;
    default:
        // The routers define no binary payload for the other codes: the bare header goes out.
        break;
    }
    frame += static_cast<char>(XorChecksum(frame));
    return frame;
}

// A number field of the ASCII protocol: two digits, and nothing for a number that does not fit.
std::string twoDigitField(int number)
{
    return number < 0 || number > 99 ? std::string() : AtLeastTwoDigits(number);
}

// A letter and a two-digit number.
void appendField(Bytes &frame, char letter, int number)
{
    frame += letter;
    frame += twoDigitField(number);
}

Bytes typeBFrame(int frameAddress, int code, int p3, int p4)
{
    Bytes frame = "//F";
    frame += twoDigitField(frameAddress);
    switch (code) {
    case CmdRoute:
        // The ASCII protocol counts ports from 1.
        appendField(frame, 'M', p3 + 1);
        appendField(frame, 'I', p4 + 1);
        break;
    case CmdStatus:
        frame += 'U';
        break;
    case CmdRsConnect:
        appendField(frame, 'R', p3);
        appendField(frame, 'I', p4);
        break;
    case CmdRsDisconnect:
        appendField(frame, 'D', p3);
        appendField(frame, 'I', p4);
        break;
    case CmdSetFrameAddress:
        appendField(frame, 'F', p3);
        break;
    default:
        return {};
    }
    frame += static_cast<char>(XorChecksum(frame));
    frame += kCarriageReturn;
    return frame;
}

} // namespace

Bytes FirmwareRequest(int commType)
{
    // Type A routers answer their status request to address 0 with the version bytes.
    return commType == kTypeB ? Bytes("//XXXX\r") : BuildFrame(commType, 0, CmdStatus, 0, 0);
}

Bytes FlashDataRequest()
{
    return "//F00D\r";
}

Bytes ControlModeRequest(bool rs232)
{
    return rs232 ? "//RS\r" : "//IR\r";
}

bool FramingCarries(int commType, int code)
{
    return !BuildFrame(commType, 0, code, 0, 0).empty();
}

std::uint8_t XorChecksum(std::string_view bytes)
{
    std::uint8_t sum = 0;
    for (const char byte : bytes)
        sum ^= static_cast<std::uint8_t>(byte);
    return sum;
}

Bytes BuildFrame(int commType, int frameAddress, int code, int p3, int p4)
{
    if (commType == kTypeA)
        return typeAFrame(frameAddress, code, p3, p4);
    if (commType == kTypeB)
        return typeBFrame(frameAddress, code, p3, p4);
    // A framing the line does not know: nothing can be built, so nothing is sent.
    return {};
}

bool IsValidReply(int commType, std::string_view reply, std::string_view frame)
{
    if (commType == kTypeA)
        return reply.size() == 1 && reply.front() == kAck;
    if (commType == kTypeB) {
        if (reply.empty())
            return false;
        const auto body =
            frame.size() >= 2 ? frame.substr(0, frame.size() - 2) : std::string_view();
        return static_cast<std::uint8_t>(reply.front()) == XorChecksum(body);
    }
    return false;
}

int AddressChangeResult(std::string_view reply)
{
    // Without a second byte there is no new address to report: "nothing accepted".
    if (reply.size() < 2)
        return 0;
    return 128 + static_cast<std::uint8_t>(reply[1]);
}

} // namespace corvantis

#include "sim/SimFrameParser.h"

#include <algorithm>
#include <string_view>

namespace corvantis {

namespace {

constexpr quint8 kTypeAStart = 0xBE;
constexpr quint8 kTypeASecond = 0xEF;
constexpr char kCr = '\r';

quint8 byteAt(const QByteArray &bytes, qsizetype index)
{
    return static_cast<quint8>(bytes.at(index));
}

quint8 xorOf(const QByteArray &bytes, qsizetype length)
{
    quint8 sum = 0;
    for (qsizetype i = 0; i < length; ++i)
        sum ^= byteAt(bytes, i);
    return sum;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int twoDigitsAt(const QByteArray &bytes, qsizetype index)
{
    return (bytes.at(index) - '0') * 10 + (bytes.at(index + 1) - '0');
}

// Compares the bytes present so far with a pattern: 'd' a decimal digit, 'c' the checksum
// (any byte), anything else itself.
bool matchesSoFar(const QByteArray &bytes, std::string_view pattern)
{
    const auto n = std::min<qsizetype>(bytes.size(), static_cast<qsizetype>(pattern.size()));
    for (qsizetype i = 0; i < n; ++i) {
        const char want = pattern[static_cast<size_t>(i)];
        const char got = bytes.at(i);
        if (want == 'd' ? !isDigit(got) : (want != 'c' && want != got))
            return false;
    }
    return true;
}

} // namespace

QList<SimFrame> SimFrameParser::feed(const QByteArray &bytes)
{
    QList<SimFrame> frames;
    for (const char byte : bytes) {
        if (m_edidBlocksLeft > 0)
            feedEdidByte(byte, frames);
        else
            feedByte(byte, frames);
    }
    return frames;
}

QList<SimFrame> SimFrameParser::flush()
{
    QList<SimFrame> frames;
    if (m_edidBlocksLeft > 0) {
        m_discarded += m_block.size();
        m_block.clear();
        m_edidBlocksLeft = 0;
    }
    if (m_buffer.size() == 5 && matchesSoFar(m_buffer, "//Fdd")) {
        SimFrame frame;
        frame.bytes = m_buffer;
        frame.address = twoDigitsAt(m_buffer, 3);
        frames.append(frame);
    } else {
        m_discarded += m_buffer.size();
    }
    m_buffer.clear();
    return frames;
}

void SimFrameParser::feedByte(char byte, QList<SimFrame> &frames)
{
    m_buffer.append(byte);
    while (!m_buffer.isEmpty()) {
        Examined examined = examine(m_buffer);
        if (examined.verdict == Verdict::NeedMore)
            return;
        if (examined.verdict == Verdict::Invalid) {
            m_buffer.remove(0, 1);
            ++m_discarded;
            continue;
        }
        examined.frame.bytes = m_buffer.left(examined.length);
        m_buffer.remove(0, examined.length);
        const bool edid = examined.frame.kind == SimFrame::Kind::EdidHeader;
        if (edid) {
            m_edidBlocksLeft = kEdidBlocks;
            m_edidAddress = examined.frame.address;
            m_block.clear();
        }
        frames.append(examined.frame);
        if (edid) {
            const QByteArray rest = m_buffer;
            m_buffer.clear();
            frames.append(feed(rest));
            return;
        }
    }
}

void SimFrameParser::feedEdidByte(char byte, QList<SimFrame> &frames)
{
    m_block.append(byte);
    if (m_block.size() < kEdidBlockSize)
        return;
    SimFrame frame;
    frame.kind = SimFrame::Kind::EdidBlock;
    frame.bytes = m_block;
    frame.address = m_edidAddress;
    frame.blockValid = xorOf(m_block, kEdidBlockSize - 1) == byteAt(m_block, kEdidBlockSize - 1);
    frames.append(frame);
    m_block.clear();
    --m_edidBlocksLeft;
    if (!frame.blockValid)
        m_edidBlocksLeft = 0;
}

SimFrameParser::Examined SimFrameParser::examine(const QByteArray &buffer)
{
    const quint8 first = byteAt(buffer, 0);
    if (first == kTypeAStart)
        return examineTypeA(buffer);
    if (first == '/')
        return examineTypeB(buffer);
    return {Verdict::Invalid, 0, {}};
}

SimFrameParser::Examined SimFrameParser::examineTypeA(const QByteArray &buffer)
{
    const auto n = buffer.size();
    if (n >= 2 && byteAt(buffer, 1) != kTypeASecond)
        return {Verdict::Invalid, 0, {}};
    if (n < 4)
        return {};
    Examined result;
    result.frame.address = byteAt(buffer, 2);
    if (byteAt(buffer, 3) != 0x00) {
        // Header and its checksum only: what the framing sends for codes without payload.
        if (byteAt(buffer, 3) != xorOf(buffer, 3))
            return {Verdict::Invalid, 0, {}};
        result.frame.kind = SimFrame::Kind::TypeAHeader;
        result.verdict = Verdict::Complete;
        result.length = 4;
        return result;
    }
    if (n < 5)
        return {};
    qsizetype length = 0;
    switch (byteAt(buffer, 4)) {
    case 0x00:
        result.frame.kind = SimFrame::Kind::TypeARoute;
        length = 8;
        break;
    case 0x32:
        result.frame.kind = SimFrame::Kind::TypeADisconnect;
        length = 8;
        break;
    case 0x04:
        result.frame.kind = SimFrame::Kind::TypeAStatus;
        length = 6;
        break;
    case 0x0E:
        result.frame.kind = SimFrame::Kind::TypeAAddress;
        length = 7;
        break;
    case 0x01:
        // The EDID header carries no checksum.
        result.frame.kind = SimFrame::Kind::EdidHeader;
        result.verdict = Verdict::Complete;
        result.length = 5;
        return result;
    default:
        return {Verdict::Invalid, 0, {}};
    }
    if (n < length)
        return {};
    if (byteAt(buffer, length - 1) != xorOf(buffer, length - 1))
        return {Verdict::Invalid, 0, {}};
    if (result.frame.kind == SimFrame::Kind::TypeARoute) {
        result.frame.second = byteAt(buffer, 5);
        result.frame.first = byteAt(buffer, 6);
    } else if (result.frame.kind != SimFrame::Kind::TypeAStatus) {
        result.frame.first = byteAt(buffer, 5);
    }
    result.verdict = Verdict::Complete;
    result.length = length;
    return result;
}

SimFrameParser::Examined SimFrameParser::examineTypeB(const QByteArray &buffer)
{
    if (buffer.size() < 3)
        return matchesSoFar(buffer, "//") ? Examined{} : Examined{Verdict::Invalid, 0, {}};
    std::string_view literal;
    SimFrame::Kind kind = SimFrame::Kind::Unknown;
    switch (buffer.at(2)) {
    case 'F':
        return examineAddressedTypeB(buffer);
    case 'X':
        literal = "//XXXX\r";
        kind = SimFrame::Kind::TypeBVersion;
        break;
    case 'R':
        literal = "//RS\r";
        kind = SimFrame::Kind::TypeBRsMode;
        break;
    case 'I':
        literal = "//IR\r";
        kind = SimFrame::Kind::TypeBIrMode;
        break;
    default:
        return {Verdict::Invalid, 0, {}};
    }
    if (!matchesSoFar(buffer, literal))
        return {Verdict::Invalid, 0, {}};
    if (buffer.size() < static_cast<qsizetype>(literal.size()))
        return {};
    Examined result{Verdict::Complete, static_cast<qsizetype>(literal.size()), {}};
    result.frame.kind = kind;
    return result;
}

SimFrameParser::Examined SimFrameParser::examineAddressedTypeB(const QByteArray &buffer)
{
    if (!matchesSoFar(buffer, "//Fdd"))
        return {Verdict::Invalid, 0, {}};
    if (buffer.size() < 6)
        return {};
    Examined result;
    result.frame.address = twoDigitsAt(buffer, 3);
    std::string_view pattern;
    switch (buffer.at(5)) {
    case 'M':
        pattern = "//FddMddIddc\r";
        result.frame.kind = SimFrame::Kind::TypeBRoute;
        break;
    case 'R':
        pattern = "//FddRddIddc\r";
        result.frame.kind = SimFrame::Kind::TypeBRsConnect;
        break;
    case 'D':
        if (buffer.size() < 7)
            return {};
        if (buffer.at(6) == kCr) {
            result.frame.kind = SimFrame::Kind::TypeBFlashData;
            result.verdict = Verdict::Complete;
            result.length = 7;
            return result;
        }
        pattern = "//FddDddIddc\r";
        result.frame.kind = SimFrame::Kind::TypeBRsDisconnect;
        break;
    case 'U':
        pattern = "//FddUc\r";
        result.frame.kind = SimFrame::Kind::TypeBStatus;
        break;
    case 'F':
        pattern = "//FddFddc\r";
        result.frame.kind = SimFrame::Kind::TypeBAddress;
        break;
    default:
        // A header without a body, followed by something else (often the next frame).
        result.frame.kind = SimFrame::Kind::Unknown;
        result.verdict = Verdict::Complete;
        result.length = 5;
        return result;
    }
    const auto length = static_cast<qsizetype>(pattern.size());
    if (!matchesSoFar(buffer, pattern))
        return {Verdict::Invalid, 0, {}};
    if (buffer.size() < length)
        return {};
    if (byteAt(buffer, length - 2) != xorOf(buffer, length - 2))
        return {Verdict::Invalid, 0, {}};
    switch (result.frame.kind) {
    case SimFrame::Kind::TypeBRoute:
        result.frame.first = twoDigitsAt(buffer, 6) - 1;
        result.frame.second = twoDigitsAt(buffer, 9) - 1;
        break;
    case SimFrame::Kind::TypeBRsConnect:
    case SimFrame::Kind::TypeBRsDisconnect:
        result.frame.first = twoDigitsAt(buffer, 6);
        result.frame.second = twoDigitsAt(buffer, 9);
        break;
    case SimFrame::Kind::TypeBAddress:
        result.frame.first = twoDigitsAt(buffer, 6);
        break;
    default:
        break;
    }
    result.verdict = Verdict::Complete;
    result.length = length;
    return result;
}

} // namespace corvantis

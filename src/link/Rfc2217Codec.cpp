#include "link/Rfc2217Codec.h"

namespace corvantis {

namespace {

QByteArray command(quint8 verb, quint8 option)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(Rfc2217Codec::kIac));
    bytes.append(static_cast<char>(verb));
    bytes.append(static_cast<char>(option));
    return bytes;
}

QByteArray subnegotiation(quint8 command, const QByteArray &value)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(Rfc2217Codec::kIac));
    bytes.append(static_cast<char>(Rfc2217Codec::kSb));
    bytes.append(static_cast<char>(Rfc2217Codec::kComPortOption));
    bytes.append(static_cast<char>(command));
    bytes.append(Rfc2217Codec::escape(value));
    bytes.append(static_cast<char>(Rfc2217Codec::kIac));
    bytes.append(static_cast<char>(Rfc2217Codec::kSe));
    return bytes;
}

QByteArray oneByte(quint8 value)
{
    return QByteArray(1, static_cast<char>(value));
}

bool wantedLocally(quint8 option)
{
    return option == Rfc2217Codec::kBinary || option == Rfc2217Codec::kSuppressGoAhead ||
           option == Rfc2217Codec::kComPortOption;
}

bool wantedRemotely(quint8 option)
{
    return option == Rfc2217Codec::kBinary || option == Rfc2217Codec::kSuppressGoAhead;
}

} // namespace

QByteArray Rfc2217Codec::start()
{
    QByteArray bytes;
    for (const quint8 option : {kBinary, kSuppressGoAhead, kComPortOption}) {
        m_local[option] = Side::Requested;
        bytes += command(kWill, option);
    }
    for (const quint8 option : {kBinary, kSuppressGoAhead}) {
        m_remote[option] = Side::Requested;
        bytes += command(kDo, option);
    }
    return bytes;
}

QByteArray Rfc2217Codec::lineSettings()
{
    QByteArray baud;
    for (const int shift : {24, 16, 8, 0})
        baud.append(static_cast<char>((kBaudRate >> shift) & 0xFF));
    return subnegotiation(kSetBaudRate, baud) + subnegotiation(kSetDataSize, oneByte(kDataBits)) +
           subnegotiation(kSetParity, oneByte(kParityNone)) +
           subnegotiation(kSetStopSize, oneByte(kOneStopBit)) +
           subnegotiation(kSetControl, oneByte(kNoFlowControl)) +
           subnegotiation(kSetControl, oneByte(kDtrOn)) +
           subnegotiation(kSetControl, oneByte(kRtsOn));
}

QByteArray Rfc2217Codec::escape(const QByteArray &data)
{
    QByteArray bytes;
    bytes.reserve(data.size() + data.count(static_cast<char>(kIac)));
    for (const char byte : data) {
        bytes.append(byte);
        if (static_cast<quint8>(byte) == kIac)
            bytes.append(byte);
    }
    return bytes;
}

QByteArray Rfc2217Codec::decode(const QByteArray &bytes, QByteArray &reply)
{
    QByteArray data;
    data.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<quint8>(c);
        switch (m_state) {
        case State::Data:
            if (byte == kIac)
                m_state = State::Command;
            else
                data.append(c);
            break;
        case State::Command:
            if (byte == kIac) {
                data.append(c);
                m_state = State::Data;
            } else if (byte == kWill || byte == kWont || byte == kDo || byte == kDont) {
                m_verb = byte;
                m_state = State::Option;
            } else if (byte == kSb) {
                m_state = State::Sub;
            } else {
                // No operation, go-ahead and the like carry nothing for the line.
                m_state = State::Data;
            }
            break;
        case State::Option:
            negotiate(m_verb, byte, reply);
            m_state = State::Data;
            break;
        case State::Sub:
            // The server's reports on the line settings and modem lines are not needed.
            if (byte == kIac)
                m_state = State::SubCommand;
            break;
        case State::SubCommand:
            m_state = byte == kSe ? State::Data : State::Sub;
            break;
        }
    }
    return data;
}

void Rfc2217Codec::negotiate(quint8 verb, quint8 option, QByteArray &reply)
{
    // Each side answers only a change of state, so two parties never loop on an option.
    switch (verb) {
    case kDo:
        if (!wantedLocally(option)) {
            reply += command(kWont, option);
        } else if (m_local[option] != Side::On) {
            if (m_local[option] == Side::Off)
                reply += command(kWill, option);
            m_local[option] = Side::On;
            if (option == kComPortOption)
                reply += lineSettings();
        }
        break;
    case kDont:
        if (m_local[option] != Side::Off) {
            if (m_local[option] == Side::On)
                reply += command(kWont, option);
            m_local[option] = Side::Off;
        }
        break;
    case kWill:
        if (!wantedRemotely(option)) {
            reply += command(kDont, option);
        } else if (m_remote[option] != Side::On) {
            if (m_remote[option] == Side::Off)
                reply += command(kDo, option);
            m_remote[option] = Side::On;
        }
        break;
    case kWont:
        if (m_remote[option] != Side::Off) {
            if (m_remote[option] == Side::On)
                reply += command(kDont, option);
            m_remote[option] = Side::Off;
        }
        break;
    default:
        break;
    }
}

bool Rfc2217Codec::binarySettled() const
{
    return m_local[kBinary] != Side::Requested && m_remote[kBinary] != Side::Requested;
}

} // namespace corvantis

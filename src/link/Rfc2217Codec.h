#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

namespace corvantis {

// Telnet with the serial-port control option, at the byte level and without a socket: what
// the client says when the connection opens, the escaping of line data, and the separation of
// what the server sends into line data and Telnet commands (answered as they come).
class Rfc2217Codec {
public:
    static constexpr quint8 kIac = 255;
    static constexpr quint8 kDont = 254;
    static constexpr quint8 kDo = 253;
    static constexpr quint8 kWont = 252;
    static constexpr quint8 kWill = 251;
    static constexpr quint8 kSb = 250;
    static constexpr quint8 kSe = 240;
    static constexpr quint8 kBinary = 0;
    static constexpr quint8 kSuppressGoAhead = 3;
    static constexpr quint8 kComPortOption = 44;

    // Client commands of the serial-port control option, and their values for 9600 8N1
    // without flow control, DTR and RTS on.
    static constexpr quint8 kSetBaudRate = 1;
    static constexpr quint8 kSetDataSize = 2;
    static constexpr quint8 kSetParity = 3;
    static constexpr quint8 kSetStopSize = 4;
    static constexpr quint8 kSetControl = 5;
    static constexpr quint32 kBaudRate = 9600;
    static constexpr quint8 kDataBits = 8;
    static constexpr quint8 kParityNone = 1;
    static constexpr quint8 kOneStopBit = 1;
    static constexpr quint8 kNoFlowControl = 1;
    static constexpr quint8 kDtrOn = 8;
    static constexpr quint8 kRtsOn = 11;

    // What the client sends first: it offers and asks for binary transmission and no go-ahead,
    // and offers serial-port control. The line settings follow once the server agrees to the
    // latter; nothing waits for the server to confirm them.
    QByteArray start();
    // Line data as it goes on the connection: every 0xFF doubled.
    static QByteArray escape(const QByteArray &data);
    // Takes what the server sent (in pieces of any size) and returns its line data; answers
    // to the server's negotiation are appended to `reply`.
    QByteArray decode(const QByteArray &bytes, QByteArray &reply);
    // The server has answered both requests for binary transmission, either way.
    bool binarySettled() const;
    // The line settings, as sent once the server agreed to serial-port control.
    static QByteArray lineSettings();

private:
    enum class Side : std::uint8_t { Off, Requested, On };
    enum class State : std::uint8_t { Data, Command, Option, Sub, SubCommand };

    void negotiate(quint8 verb, quint8 option, QByteArray &reply);

    std::array<Side, 256> m_local{};
    std::array<Side, 256> m_remote{};
    State m_state = State::Data;
    quint8 m_verb = 0;
};

} // namespace corvantis

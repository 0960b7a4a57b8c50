#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvantis::swp08 {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kDle = 0x10;
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kNak = 0x15;

// The byte count is one byte, so no good message carries more data than this.
inline constexpr std::size_t kMaxData = 255;

// Two's complement of the sum of the data and the count, kept to 7 bits.
std::uint8_t Checksum(std::span<const std::uint8_t> data);
// DLE STX, data, count, checksum, DLE ETX, with every DLE in between doubled.
Bytes EncodeMessage(std::span<const std::uint8_t> data);
Bytes AckBytes();
Bytes NakBytes();

// Splits a byte stream into messages however it arrives: split anywhere or many messages in
// one read. Standard C++ only, so the fuzz build can take it without Qt.
class FrameReader {
public:
    struct Event {
        enum class Kind {
            Message, // data checked; answer ACK
            Bad,     // a message that failed a check; answer NAK
            Ack,     // the peer accepted what we sent
            Nak,     // the peer refused what we sent
            Skipped, // bytes outside any message were dropped
        };
        Kind kind;
        Bytes data;         // Message only
        std::string reason; // Bad and Skipped
    };

    std::vector<Event> feed(std::span<const std::uint8_t> bytes);
    // Bytes held for a message that has not ended yet.
    std::size_t pending() const { return m_content.size(); }

private:
    enum class State { Idle, IdleDle, Content, ContentDle };

    void finish(std::vector<Event> &events);
    void bad(std::vector<Event> &events, std::string reason);
    void flushSkipped(std::vector<Event> &events);

    State m_state = State::Idle;
    Bytes m_content; // data, count and checksum with the doubled DLEs made single
    std::size_t m_skipped = 0;
};

} // namespace corvantis::swp08

#include "net/Swp08Framing.h"

namespace corvantis::swp08 {

namespace {

// Data, count and checksum.
constexpr std::size_t kMaxContent = kMaxData + 2;

void PutStuffed(Bytes &out, std::uint8_t byte)
{
    out.push_back(byte);
    if (byte == kDle)
        out.push_back(kDle);
}

std::string Hex(unsigned value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    text += digits[(value >> 4) & 0xF];
    text += digits[value & 0xF];
    return text;
}

} // namespace

std::uint8_t Checksum(std::span<const std::uint8_t> data)
{
    unsigned sum = static_cast<unsigned>(data.size());
    for (std::uint8_t byte : data)
        sum += byte;
    return static_cast<std::uint8_t>((0u - sum) & 0x7F);
}

Bytes EncodeMessage(std::span<const std::uint8_t> data)
{
    Bytes out{kDle, kStx};
    out.reserve(data.size() * 2 + 8);
    for (std::uint8_t byte : data)
        PutStuffed(out, byte);
    PutStuffed(out, static_cast<std::uint8_t>(data.size()));
    PutStuffed(out, Checksum(data));
    out.push_back(kDle);
    out.push_back(kEtx);
    return out;
}

Bytes AckBytes()
{
    return {kDle, kAck};
}
Bytes NakBytes()
{
    return {kDle, kNak};
}

std::vector<FrameReader::Event> FrameReader::feed(std::span<const std::uint8_t> bytes)
{
    std::vector<Event> events;
    for (std::uint8_t byte : bytes) {
        switch (m_state) {
        case State::Idle:
            if (byte == kDle)
                m_state = State::IdleDle;
            else
                ++m_skipped;
            break;
        case State::IdleDle:
            m_state = State::Idle;
            if (byte == kStx) {
                flushSkipped(events);
                m_content.clear();
                m_state = State::Content;
            } else if (byte == kAck || byte == kNak) {
                flushSkipped(events);
                events.push_back({byte == kAck ? Event::Kind::Ack : Event::Kind::Nak, {}, {}});
            } else if (byte == kDle) {
                ++m_skipped;
                m_state = State::IdleDle;
            } else {
                m_skipped += 2;
            }
            break;
        case State::Content:
            if (byte == kDle) {
                m_state = State::ContentDle;
            } else if (m_content.size() >= kMaxContent) {
                bad(events, "longer than " + std::to_string(kMaxData) + " data bytes");
                m_state = State::Idle;
            } else {
                m_content.push_back(byte);
            }
            break;
        case State::ContentDle:
            if (byte == kDle) {
                if (m_content.size() >= kMaxContent) {
                    bad(events, "longer than " + std::to_string(kMaxData) + " data bytes");
                    m_state = State::Idle;
                } else {
                    m_content.push_back(kDle);
                    m_state = State::Content;
                }
            } else if (byte == kEtx) {
                finish(events);
                m_state = State::Idle;
            } else if (byte == kStx) {
                // The sender gave up on the message and started again; keep the new one.
                bad(events, "cut short by a new start");
                m_state = State::Content;
            } else {
                bad(events, "single DLE before " + Hex(byte) + " inside a message");
                m_state = State::Idle;
            }
            break;
        }
    }
    return events;
}

void FrameReader::finish(std::vector<Event> &events)
{
    if (m_content.size() < 2) {
        bad(events, "no byte count and checksum");
        return;
    }
    const std::size_t dataSize = m_content.size() - 2;
    const std::uint8_t count = m_content[dataSize];
    const std::uint8_t check = m_content[dataSize + 1];
    const std::span<const std::uint8_t> data(m_content.data(), dataSize);
    if (count != dataSize) {
        bad(events, "byte count " + std::to_string(count) + " but " + std::to_string(dataSize) +
                        " data bytes");
        return;
    }
    // Bit 7 of the checksum carries nothing; a sender may leave it set.
    if ((check & 0x7F) != Checksum(data)) {
        bad(events, "checksum " + Hex(check) + " where " + Hex(Checksum(data)) + " was due");
        return;
    }
    if (dataSize == 0) {
        bad(events, "no data");
        return;
    }
    events.push_back({Event::Kind::Message, Bytes(data.begin(), data.end()), {}});
    m_content.clear();
}

void FrameReader::bad(std::vector<Event> &events, std::string reason)
{
    m_content.clear();
    events.push_back({Event::Kind::Bad, {}, std::move(reason)});
}

void FrameReader::flushSkipped(std::vector<Event> &events)
{
    if (m_skipped == 0)
        return;
    events.push_back(
        {Event::Kind::Skipped, {}, std::to_string(m_skipped) + " bytes outside a message"});
    m_skipped = 0;
}

} // namespace corvantis::swp08

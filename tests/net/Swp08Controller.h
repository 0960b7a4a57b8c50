#pragma once

#include "net/Swp08Framing.h"

#include <QTcpSocket>
#include <QTest>
#include <functional>
#include <vector>

namespace corvantis::test {

// "10 02 01": bytes in hex, so that a message fits on one line of a table.
inline swp08::Bytes hex(const QByteArray &text)
{
    const QByteArray bytes = QByteArray::fromHex(text);
    return {bytes.begin(), bytes.end()};
}
// "04 00 00 10 03 | 04 01 00 10 03": messages in hex; "" for none.
inline std::vector<swp08::Bytes> hexes(const QByteArray &text)
{
    std::vector<swp08::Bytes> messages;
    for (const QByteArray &message : text.split('|'))
        if (!message.trimmed().isEmpty())
            messages.push_back(hex(message));
    return messages;
}

// A binary-protocol controller on a real socket: every byte it received, and the messages,
// ACKs and NAKs in them.
class Swp08Controller {
public:
    bool open(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return QTest::qWaitFor([this] { return socket.state() == QTcpSocket::ConnectedState; });
    }
    void send(const swp08::Bytes &data) { sendRaw(swp08::EncodeMessage(data)); }
    void sendRaw(const swp08::Bytes &bytes)
    {
        socket.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
    }
    // Runs the event loop until the condition holds or five seconds passed.
    bool waitFor(const std::function<bool()> &condition)
    {
        return QTest::qWaitFor([&] {
            pump();
            return condition();
        });
    }
    bool waitForMessages(std::size_t count)
    {
        return waitFor([&] { return messages.size() >= count; });
    }

    QTcpSocket socket;
    swp08::Bytes raw;
    std::vector<swp08::Bytes> messages;
    int acks = 0;
    int naks = 0;

private:
    void pump()
    {
        using Kind = swp08::FrameReader::Event::Kind;
        const QByteArray bytes = socket.readAll();
        const std::span<const std::uint8_t> span(
            reinterpret_cast<const std::uint8_t *>(bytes.data()), std::size_t(bytes.size()));
        raw.insert(raw.end(), span.begin(), span.end());
        for (const auto &event : m_reader.feed(span)) {
            if (event.kind == Kind::Message)
                messages.push_back(event.data);
            acks += event.kind == Kind::Ack;
            naks += event.kind == Kind::Nak;
        }
    }

    swp08::FrameReader m_reader;
};

} // namespace corvantis::test

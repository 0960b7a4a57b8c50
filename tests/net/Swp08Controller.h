#pragma once

#include "net/Swp08Framing.h"

#include <QTcpSocket>
#include <functional>
#include <vector>

namespace corvantis::test {

// A binary-protocol controller on a real socket: every byte it received, and the messages,
// ACKs and NAKs in them.
class Swp08Controller {
public:
    bool open(quint16 port);
    void send(const swp08::Bytes &data) { sendRaw(swp08::EncodeMessage(data)); }
    void sendRaw(const swp08::Bytes &bytes);
    // Runs the event loop until the condition holds or five seconds passed.
    bool waitFor(const std::function<bool()> &condition);
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
    void pump();

    swp08::FrameReader m_reader;
};

} // namespace corvantis::test

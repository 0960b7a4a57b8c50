#pragma once

// SW-P-08 controllers for the timing programs: on a loopback socket, the messages they read
// and when they last read.

#include "BenchPanels.h"
#include "net/Swp08Framing.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <memory>
#include <vector>

namespace corvantis::bench {

struct Controller {
    void send(const swp08::Bytes &data)
    {
        const swp08::Bytes bytes = swp08::EncodeMessage(data);
        socket.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
    }
    QTcpSocket socket;
    swp08::FrameReader reader;
    std::vector<swp08::Bytes> messages;
    Clock::time_point lastRead;
};

// Connected; false when the server did not take it.
inline std::unique_ptr<Controller> connectController(quint16 port)
{
    auto controller = std::make_unique<Controller>();
    Controller *c = controller.get();
    QObject::connect(&c->socket, &QTcpSocket::readyRead, &c->socket, [c] {
        const QByteArray bytes = c->socket.readAll();
        c->lastRead = Clock::now();
        const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.constData());
        for (auto &event : c->reader.feed({data, std::size_t(bytes.size())})) {
            if (event.kind == swp08::FrameReader::Event::Kind::Message)
                c->messages.push_back(std::move(event.data));
        }
    });
    c->socket.connectToHost(QHostAddress::LocalHost, port);
    if (!waitFor([c] { return c->socket.state() == QAbstractSocket::ConnectedState; }))
        std::fprintf(stderr, "controller not connected\n");
    return controller;
}

} // namespace corvantis::bench

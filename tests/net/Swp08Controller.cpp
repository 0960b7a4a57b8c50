#include "Swp08Controller.h"

#include <QTest>

namespace corvantis::test {

using Kind = swp08::FrameReader::Event::Kind;

bool Swp08Controller::open(quint16 port)
{
    socket.connectToHost(QHostAddress::LocalHost, port);
    return QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState; });
}

void Swp08Controller::sendRaw(const swp08::Bytes &bytes)
{
    socket.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
}

bool Swp08Controller::waitFor(const std::function<bool()> &condition)
{
    return QTest::qWaitFor([&] {
        pump();
        return condition();
    });
}

void Swp08Controller::pump()
{
    const QByteArray bytes = socket.readAll();
    const std::span<const std::uint8_t> span(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                                             std::size_t(bytes.size()));
    raw.insert(raw.end(), span.begin(), span.end());
    for (const auto &event : m_reader.feed(span)) {
        if (event.kind == Kind::Message)
            messages.push_back(event.data);
        acks += event.kind == Kind::Ack;
        naks += event.kind == Kind::Nak;
    }
}

} // namespace corvantis::test

#include "net/Swp08Session.h"

#include <QLoggingCategory>

namespace corvantis {

namespace {

Q_LOGGING_CATEGORY(lcSwp08, "corvantis.net.swp08")

QByteArray Raw(const swp08::Bytes &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

} // namespace

Swp08Session::Swp08Session(int clientId, QTcpSocket *socket, QObject *parent)
    : ClientConnection(clientId, socket, parent)
{
}

void Swp08Session::sendMessages(const std::vector<swp08::Bytes> &messages)
{
    QByteArray bytes;
    for (const swp08::Bytes &data : messages)
        bytes += Raw(swp08::EncodeMessage(data));
    if (!bytes.isEmpty())
        send(bytes);
}

void Swp08Session::sendRaw(const swp08::Bytes &bytes)
{
    send(Raw(bytes));
}

void Swp08Session::received(const QByteArray &bytes)
{
    const auto events = m_reader.feed(std::span(
        reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())));
    using Kind = swp08::FrameReader::Event::Kind;
    for (const auto &event : events) {
        if (!isOpen())
            return;
        switch (event.kind) {
        case Kind::Message:
            sendRaw(swp08::AckBytes());
            emit messageReceived(this, event.data);
            break;
        case Kind::Bad:
            qCWarning(lcSwp08) << "SW-P-08 controller" << clientId()
                               << "sent a bad message, answered NAK:" << event.reason.c_str();
            sendRaw(swp08::NakBytes());
            break;
        case Kind::Skipped:
            qCWarning(lcSwp08) << "SW-P-08 controller" << clientId() << "sent"
                               << event.reason.c_str();
            break;
        case Kind::Nak:
            qCWarning(lcSwp08) << "SW-P-08 controller" << clientId() << "refused a message";
            break;
        case Kind::Ack:
            break;
        }
    }
}

} // namespace corvantis

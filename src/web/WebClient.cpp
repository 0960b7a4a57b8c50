#include "web/WebClient.h"

#include <QTimer>
#include <QWebSocket>

namespace corvantis {

WebClient::WebClient(std::unique_ptr<QWebSocket> socket, QByteArray token, qint64 maxBacklog,
                     QObject *parent)
    : QObject(parent), m_socket(std::move(socket)), m_token(std::move(token)),
      m_maxBacklog(maxBacklog)
{
    m_address = m_socket->peerAddress();
    m_peer = QStringLiteral("%1 port %2").arg(m_address.toString()).arg(m_socket->peerPort());
    m_socket->setMaxAllowedIncomingMessageSize(kMaxMessage);
    m_socket->setMaxAllowedIncomingFrameSize(kMaxMessage);
    connect(m_socket.get(), &QWebSocket::textMessageReceived, this, [this](const QString &text) {
        if (m_open)
            emit received(this, text.toUtf8());
    });
    connect(m_socket.get(), &QWebSocket::binaryMessageReceived, this, [this] {
        close(QStringLiteral("sent a binary message"),
              QWebSocketProtocol::CloseCodeDatatypeNotSupported);
    });
    connect(m_socket.get(), &QWebSocket::bytesWritten, this,
            [this](qint64 bytes) { m_backlog = std::max<qint64>(0, m_backlog - bytes); });
    connect(m_socket.get(), &QWebSocket::disconnected, this, [this] {
        const QString reason = m_socket->closeReason();
        finish(reason.isEmpty() ? QStringLiteral("the page closed the connection")
                                : QStringLiteral("closed: %1").arg(reason));
    });
}

WebClient::~WebClient()
{
    m_socket->disconnect(this);
}

void WebClient::send(const QByteArray &json)
{
    if (!m_open)
        return;
    m_backlog += m_socket->sendTextMessage(QString::fromUtf8(json));
    if (m_backlog > m_maxBacklog)
        close(QStringLiteral("more than %1 KiB waits unread").arg(m_maxBacklog / 1024),
              QWebSocketProtocol::CloseCodeGoingAway);
}

void WebClient::close(const QString &reason, QWebSocketProtocol::CloseCode code)
{
    if (!m_open)
        return;
    finish(reason);
    // The close frame goes behind whatever waits unsent; a page that reads nothing would keep
    // the socket, so it is cut.
    if (m_backlog > m_maxBacklog) {
        m_socket->abort();
        return;
    }
    m_socket->close(code, reason.left(120));
}

void WebClient::finish(const QString &reason)
{
    if (!m_open)
        return;
    m_open = false;
    // Kept until the close frame went out and the page answered it, or a little longer.
    connect(m_socket.get(), &QWebSocket::disconnected, this, &QObject::deleteLater);
    QTimer::singleShot(kClosingMs, this, &QObject::deleteLater);
    emit closed(this, reason);
}

} // namespace corvantis

#include "net/ClientConnection.h"

#include <QTcpSocket>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace corvantis {

namespace {

// Qt stops reading from the system once this much waits unread, so a flood is held back by
// TCP instead of growing our buffer.
constexpr qint64 kReadBufferSize = 64 * 1024;

// A peer that vanished without closing (power cut, cable pulled) would hold one of the places
// for the system's default of two hours; probing after a minute of silence frees it within
// about 1.5 minutes.
void probeSilentPeer(QTcpSocket &socket)
{
    socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#ifdef Q_OS_LINUX
    const auto fd = int(socket.socketDescriptor());
    const int idle = 60, interval = 10, count = 3;
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
#endif
}

} // namespace

ClientConnection::ClientConnection(int clientId, QTcpSocket *socket, QObject *parent)
    : QObject(parent), m_clientId(clientId), m_socket(socket)
{
    m_socket->setParent(this);
    m_socket->setReadBufferSize(kReadBufferSize);
    probeSilentPeer(*m_socket);
    // An update right after an answer would otherwise wait for the client's delayed TCP ACK.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_peer = QStringLiteral("%1 port %2")
                 .arg(m_socket->peerAddress().toString())
                 .arg(m_socket->peerPort());
    connect(m_socket, &QTcpSocket::readyRead, this, &ClientConnection::readAvailable);
    connect(m_socket, &QTcpSocket::disconnected, this,
            [this] { finish(QStringLiteral("the client closed the connection")); });
}

ClientConnection::~ClientConnection()
{
    m_socket->disconnect(this);
}

void ClientConnection::send(const QByteArray &bytes)
{
    if (!m_open || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->write(bytes);
    // Written now rather than on the next turn: Qt drops unsent data when it reads the end of
    // a client that half-closed after its last request, and the answer should not wait.
    m_socket->flush();
    if (m_socket->bytesToWrite() > kMaxBacklog)
        close(QStringLiteral("more than 1 MiB waits unread"));
}

void ClientConnection::close(const QString &reason)
{
    if (!m_open)
        return;
    finish(reason);
    m_socket->abort();
}

void ClientConnection::readAvailable()
{
    while (m_open && m_socket->bytesAvailable() > 0)
        received(m_socket->read(kReadBufferSize));
}

void ClientConnection::finish(const QString &reason)
{
    if (!m_open)
        return;
    m_open = false;
    emit closed(this, reason);
}

} // namespace corvantis

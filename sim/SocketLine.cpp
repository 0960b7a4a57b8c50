#include "sim/SocketLine.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace corvantis {

SocketLine::SocketLine(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &SocketLine::takeClient);
}

SocketLine::~SocketLine()
{
    close();
}

bool SocketLine::listen(const QHostAddress &address, quint16 port, QString *error)
{
    close();
    if (m_server->listen(address, port))
        return true;
    if (error)
        *error = m_server->errorString();
    return false;
}

void SocketLine::close()
{
    dropClient();
    m_server->close();
}

bool SocketLine::isListening() const
{
    return m_server->isListening();
}

quint16 SocketLine::serverPort() const
{
    return m_server->serverPort();
}

void SocketLine::write(const QByteArray &bytes)
{
    if (m_client)
        m_client->write(bytes);
}

void SocketLine::takeClient()
{
    while (QTcpSocket *client = m_server->nextPendingConnection()) {
        dropClient();
        m_client = client;
        m_client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(m_client, &QTcpSocket::readyRead, this,
                [this, client] { Q_EMIT bytesRead(client->readAll()); });
        connect(m_client, &QTcpSocket::disconnected, this, [this, client] {
            if (client == m_client)
                dropClient();
        });
        Q_EMIT attachedChanged(true);
    }
}

void SocketLine::dropClient()
{
    if (!m_client)
        return;
    QTcpSocket *client = m_client;
    m_client = nullptr;
    client->disconnect(this);
    client->abort();
    client->deleteLater();
    Q_EMIT attachedChanged(false);
}

} // namespace corvantis

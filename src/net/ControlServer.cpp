#include "net/ControlServer.h"

#include "core/OutputLocks.h"
#include "net/ClientConnection.h"
#include "net/MatrixControl.h"

#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>
#include <utility>

namespace corvantis {

namespace {

Q_LOGGING_CATEGORY(lcServer, "corvantis.net")

} // namespace

ControlServer::ControlServer(const QString &protocol, MatrixControl &matrix, OutputLocks &locks,
                             QObject *parent)
    : QObject(parent), m_matrix(matrix), m_locks(locks), m_protocol(protocol),
      m_server(new QTcpServer(this)),
      m_changes(matrix, locks, [this] { return !m_clients.isEmpty(); })
{
    connect(&m_changes, &ChangeGatherer::gathered, this, &ControlServer::broadcast);
    // What a client knew (numbers, names, its locks) may be gone.
    connect(&m_matrix, &MatrixControl::deviceChanged, this,
            [this] { closeAll(QStringLiteral("the configuration was replaced")); });
}

ControlServer::~ControlServer()
{
    close();
}

bool ControlServer::listen(const QHostAddress &address, quint16 port)
{
    // The new socket first: a refused address changes nothing, and a move drops no client.
    auto *next = new QTcpServer(this);
    bool taken = next->listen(address, port);
    if (!taken && port != 0 && m_server->isListening() && m_server->serverPort() == port) {
        // The same port may clash with the socket being replaced (the wildcard address against
        // one of its own): that one steps aside, and comes back when the move fails.
        const QHostAddress before = m_server->serverAddress();
        m_server->close();
        taken = next->listen(address, port);
        if (!taken && !m_server->listen(before, port))
            qCWarning(lcServer).noquote()
                << m_protocol << "server lost" << before.toString() << port;
    }
    if (!taken) {
        m_errorString = next->errorString();
        delete next;
        return false;
    }
    connect(next, &QTcpServer::newConnection, this, &ControlServer::acceptPending);
    delete std::exchange(m_server, next);
    qCInfo(lcServer).noquote() << m_protocol << "server listening on" << address.toString()
                               << m_server->serverPort();
    return true;
}

void ControlServer::close()
{
    m_server->close();
    closeAll(QStringLiteral("the server stopped"));
}

bool ControlServer::isListening() const
{
    return m_server->isListening();
}

quint16 ControlServer::serverPort() const
{
    return m_server->serverPort();
}

void ControlServer::welcome(ClientConnection &) {}

void ControlServer::acceptPending()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_clients.size() >= kMaxClients) {
            qCWarning(lcServer).noquote()
                << m_protocol << "client" << socket->peerAddress().toString() << "refused: already"
                << kMaxClients << "clients";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ClientConnection *client = connection(m_locks.newOwner(), socket);
        // Counted in before anything is sent: a send may already close it.
        m_clients.append(client);
        connect(client, &ClientConnection::closed, this, &ControlServer::clientEnded);
        qCInfo(lcServer).noquote()
            << m_protocol << "client" << client->clientId() << "connected from" << client->peer();
        emit clientConnected(client->clientId(), client->peer());
        welcome(*client);
    }
}

void ControlServer::clientEnded(ClientConnection *client, const QString &reason)
{
    m_clients.removeOne(client);
    client->deleteLater();
    qCInfo(lcServer).noquote() << m_protocol << "client" << client->clientId()
                               << "closed:" << reason;
    m_locks.releaseAll(client->clientId());
    emit clientClosed(client->clientId(), reason);
}

void ControlServer::closeAll(const QString &reason)
{
    const QList<ClientConnection *> clients = m_clients;
    for (ClientConnection *client : clients)
        client->close(reason);
}

} // namespace corvantis

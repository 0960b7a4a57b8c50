#pragma once

#include "net/ChangeGatherer.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

namespace corvantis {

class ClientConnection;
class MatrixControl;
class OutputLocks;

// What every control server shares, whatever its protocol: listening, at most kMaxClients
// clients, each with a lock owner id of its own from the shared locks (so clients of different
// servers never share one), a client's locks ending with it, every client closed when the
// configuration is replaced, and the matrix's changes gathered once per turn. A protocol adds
// its connection (reading the client's requests) and what the clients are told of a change.
class ControlServer : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxClients = 32;

    ~ControlServer() override;

    // No protocol here has authentication: any other address than the loopback lets everyone
    // who reaches it control the routers. While listening elsewhere the server moves to the
    // new address and keeps its clients. False (errorString says why; nothing changed) when
    // the address cannot be taken.
    bool listen(const QHostAddress &address, quint16 port);
    // Stops listening and drops every client.
    void close();
    bool isListening() const;
    quint16 serverPort() const;
    QString errorString() const { return m_errorString; }
    int clientCount() const { return int(m_clients.size()); }
    // How the log names the server and its clients.
    const QString &protocol() const { return m_protocol; }

signals:
    void clientConnected(int clientId, const QString &peer);
    // Every end of a client, with the reason for the log.
    void clientClosed(int clientId, const QString &reason);

protected:
    // protocol names the server and its clients in the log. matrix and locks must outlive it.
    ControlServer(const QString &protocol, MatrixControl &matrix, OutputLocks &locks,
                  QObject *parent);

    // The protocol's connection for a new client; it sends nothing yet.
    virtual ClientConnection *connection(int clientId, QTcpSocket *socket) = 0;
    // What a client is told first, once it is counted in.
    virtual void welcome(ClientConnection &client);
    // What changed since the last turn, while anyone is connected.
    virtual void broadcast(const ChangeGatherer::Changes &changes) = 0;

    const QList<ClientConnection *> &clients() const { return m_clients; }

    MatrixControl &m_matrix;
    OutputLocks &m_locks;

private:
    void acceptPending();
    void clientEnded(ClientConnection *client, const QString &reason);
    void closeAll(const QString &reason);

    QString m_protocol;
    QTcpServer *m_server;
    QString m_errorString;
    QList<ClientConnection *> m_clients;
    ChangeGatherer m_changes;
};

} // namespace corvantis

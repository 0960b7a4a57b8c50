#pragma once

#include "net/MatrixControl.h"
#include "net/Swp08Framing.h"
#include "net/Swp08Message.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;

namespace corvantis {

class OutputLocks;

// The binary panel-protocol server: controllers route, interrogate, protect and read names of
// matrix 0 (level 0 video, level 1 audio; a route on either runs on all levels). Every good
// message is answered DLE ACK and a bad one DLE NAK; every routing change reaches every
// controller as a connected message, the requester's own connect included.
//
// Listening, the client limit and the backlog bound repeat PanelServer's rules in a few lines;
// a shared acceptor for both servers is the next step.
class Swp08Server : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxClients = 32;
    static constexpr quint16 kDefaultPort = 8910;
    static constexpr qint64 kMaxBacklog = 1024 * 1024;
    // Lock owner ids of this server's controllers, clear of the text panel server's.
    static constexpr int kFirstClientId = 1001;

    // matrix and locks must outlive the server.
    Swp08Server(MatrixControl &matrix, OutputLocks &locks, QObject *parent = nullptr);
    ~Swp08Server() override;

    // No authentication here either: anything but the loopback lets everyone who reaches it
    // route. False (errorString says why) when the address cannot be taken.
    bool listen(const QHostAddress &address = QHostAddress(QHostAddress::LocalHost),
                quint16 port = kDefaultPort);
    void close();
    bool isListening() const;
    quint16 serverPort() const;
    QString errorString() const { return m_errorString; }
    int clientCount() const { return int(m_clients.size()); }

signals:
    void clientConnected(int clientId, const QString &peer);
    void clientClosed(int clientId, const QString &reason);

private:
    struct Client;

    void acceptPending();
    void readAvailable(Client *client);
    void handle(Client *client, const swp08::Bytes &data);
    void send(Client *client, const swp08::Bytes &data);
    void sendRaw(Client *client, const swp08::Bytes &bytes);
    void drop(Client *client, const QString &reason);
    void remove(Client *client);

    void answerTally(Client *client, const swp08::Request &request, swp08::Command command);
    void answerTallyDump(Client *client, const swp08::Request &request);
    void answerNames(Client *client, const swp08::Request &request);
    void answerProtect(Client *client, const swp08::Request &request, swp08::Command command);
    void routingChanged(const QList<int> &outputs);
    bool isOutput(int output) const;

    MatrixControl &m_matrix;
    OutputLocks &m_locks;
    QTcpServer *m_server;
    QString m_errorString;
    std::vector<std::unique_ptr<Client>> m_clients;
    int m_nextClientId = kFirstClientId;
};

} // namespace corvantis

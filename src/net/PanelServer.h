#pragma once

#include "net/MatrixControl.h"
#include "net/PanelRequest.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>

class QTcpServer;

namespace corvantis {

class OutputLocks;
class PanelSession;
struct PanelBlock;

// The panel-protocol server: up to kMaxClients clients, each greeted with the full state,
// answered ACK or NAK before its request is queued, and sent every change as the changed
// lines only. Changes are gathered and sent once per turn of the event loop, so a burst of
// signals reaches the clients as one update and nothing waits for a timer.
class PanelServer : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxClients = 32;
    static constexpr quint16 kDefaultPort = 9990;

    // matrix and locks must outlive the server.
    PanelServer(MatrixControl &matrix, OutputLocks &locks, QObject *parent = nullptr);
    ~PanelServer() override;

    // The protocol has no authentication: any other address than the loopback lets everyone
    // who reaches it route. While listening elsewhere the server moves to the new address and
    // keeps its clients. False (errorString says why; nothing changed) when the address
    // cannot be taken.
    bool listen(const QHostAddress &address = QHostAddress(QHostAddress::LocalHost),
                quint16 port = kDefaultPort);
    // Stops listening and drops every client.
    void close();
    bool isListening() const;
    quint16 serverPort() const;
    QString errorString() const;
    int clientCount() const { return int(m_sessions.size()); }

signals:
    void clientConnected(int clientId, const QString &peer);
    // Every end of a client, with the reason for the log.
    void clientClosed(int clientId, const QString &reason);

private:
    void acceptPending();
    void greet(PanelSession &session);
    void handleBlock(PanelSession *session, const PanelBlock &block);
    void sessionClosed(PanelSession *session, const QString &reason);
    // Why the request cannot be done, or empty when it can.
    QString refusal(const PanelRequest &request, int clientId) const;
    void applyLocks(const PanelRequest &request, int clientId);
    QByteArray fullBlock(const QByteArray &header, int clientId) const;

    QByteArray labelsBlock(MatrixControl::Side side, const QList<int> &indexes) const;
    QByteArray locksBlock(const QList<int> &outputs, int clientId) const;
    QList<MatrixControl::Route> knownRoutes(const QList<int> &outputs) const;

    void markChanged(QSet<int> &pending, const QList<int> &numbers);
    void sendChanges();
    void deviceChanged();

    MatrixControl &m_matrix;
    OutputLocks &m_locks;
    QTcpServer *m_server;
    QString m_errorString;
    QList<PanelSession *> m_sessions;
    int m_nextClientId = 1;
    QTimer m_changeTimer;
    QSet<int> m_changedRouting;
    QSet<int> m_changedInputLabels;
    QSet<int> m_changedOutputLabels;
    QSet<int> m_changedLocks;
};

} // namespace corvantis

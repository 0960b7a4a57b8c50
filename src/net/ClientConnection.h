#pragma once

#include <QObject>
#include <QString>

class QTcpSocket;

namespace corvantis {

// One network client, whatever its protocol: its socket kept within bounds. Never waits: what
// the client sends is handed on as it arrives, and a client that stops reading is closed once
// its unsent data passes kMaxBacklog, so it holds up neither the other clients nor the line.
class ClientConnection : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kMaxBacklog = 1024 * 1024;

    // Takes the socket over.
    ClientConnection(int clientId, QTcpSocket *socket, QObject *parent = nullptr);
    ~ClientConnection() override;

    // The client's lock owner id.
    int clientId() const { return m_clientId; }
    QString peer() const { return m_peer; }
    bool isOpen() const { return m_open; }

    // Queues bytes; nothing happens once the client is closed.
    void send(const QByteArray &bytes);
    // Drops the connection without waiting for unsent data; emits closed once.
    void close(const QString &reason);

signals:
    void closed(corvantis::ClientConnection *client, const QString &reason);

protected:
    // The protocol's reading of what arrived; called only while the client is open.
    virtual void received(const QByteArray &bytes) = 0;

private:
    void readAvailable();
    void finish(const QString &reason);

    int m_clientId;
    QTcpSocket *m_socket;
    QString m_peer;
    bool m_open = true;
};

} // namespace corvantis

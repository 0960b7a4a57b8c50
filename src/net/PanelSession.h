#pragma once

#include "net/BlockReader.h"
#include "net/PanelBlock.h"

#include <QObject>
#include <QString>

class QTcpSocket;

namespace corvantis {

// One connected client: reads its blocks within the reader's limits and queues what the
// server sends. Never waits: a client that stops reading is closed when its unsent data
// passes kMaxBacklog, so it cannot hold up the others.
class PanelSession : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kMaxBacklog = 1024 * 1024;

    // Takes the socket over.
    PanelSession(int clientId, QTcpSocket *socket, QObject *parent = nullptr);
    ~PanelSession() override;

    int clientId() const { return m_clientId; }
    QString peer() const { return m_peer; }
    bool isOpen() const { return m_open; }

    // Queues bytes; nothing happens once the session is closed.
    void send(const QByteArray &bytes);
    // Drops the connection without waiting for unsent data; emits closed once.
    void close(const QString &reason);

signals:
    void blockReceived(corvantis::PanelSession *session, const corvantis::PanelBlock &block);
    void closed(corvantis::PanelSession *session, const QString &reason);

private:
    void readAvailable();
    void finish(const QString &reason);

    int m_clientId;
    QTcpSocket *m_socket;
    QString m_peer;
    BlockReader m_reader;
    bool m_open = true;
};

} // namespace corvantis

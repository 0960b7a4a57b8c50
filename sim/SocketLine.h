#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

namespace corvantis {

// The line's far end as a TCP listener, the raw counterpart of a device server: one program
// at a time is connected (a newcomer replaces the one before, whose connection may be dead),
// and bytes written while nobody is connected are dropped, as on a line nobody listens to.
class SocketLine : public QObject {
    Q_OBJECT

public:
    explicit SocketLine(QObject *parent = nullptr);
    ~SocketLine() override;

    // Port 0 picks a free port; serverPort() tells which.
    bool listen(const QHostAddress &address, quint16 port, QString *error);
    void close();

    bool isListening() const;
    bool isAttached() const { return m_client != nullptr; }
    quint16 serverPort() const;

    void write(const QByteArray &bytes);

Q_SIGNALS:
    void bytesRead(const QByteArray &bytes);
    void attachedChanged(bool attached);

private:
    void takeClient();
    void dropClient();

    QTcpServer *m_server;
    QTcpSocket *m_client = nullptr;
};

} // namespace corvantis

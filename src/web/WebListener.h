#pragma once

#include <QHostAddress>
#include <QObject>
#include <QSslConfiguration>
#include <QString>

class QAbstractHttpServer;
class QTcpServer;

namespace corvantis {

// Where the web panel listens, with or without TLS, and the limits every panel server keeps:
// how many clients at once, how much a client may leave unread, and the lock owner ids of its
// clients, kept clear of the other servers' ids.
class WebListener : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxClients = 32;
    static constexpr qint64 kMaxBacklog = 1024 * 1024;
    static constexpr quint16 kDefaultPort = 8080;

    explicit WebListener(QAbstractHttpServer &http, QObject *parent = nullptr);
    ~WebListener() override;

    // TLS from the next listen on, with the certificate and key in PEM files; both empty turns
    // it off. False (errorString says why; nothing changed) when a file holds neither.
    bool setTls(const QString &certificateFile, const QString &keyFile);
    // Whether the socket listening now speaks TLS.
    bool isSecure() const { return m_secure; }
    // Moves to the address and keeps the connected clients. False (errorString says why;
    // nothing changed) when the address cannot be taken.
    bool listen(const QHostAddress &address, quint16 port);
    // Stops listening; the server drops its clients itself.
    void close();
    bool isListening() const;
    quint16 serverPort() const;
    QString errorString() const { return m_errorString; }

    // A client may connect: false when kMaxClients are connected. Each admitted client is
    // released once.
    bool admit();
    void release();
    int clientCount() const { return m_clients; }

private:
    QAbstractHttpServer &m_http;
    QTcpServer *m_server = nullptr;
    QSslConfiguration m_nextTls;
    bool m_nextSecure = false;
    bool m_secure = false;
    QString m_errorString;
    int m_clients = 0;
};

} // namespace corvantis

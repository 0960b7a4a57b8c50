#pragma once

#include "web/LoginLimiter.h"
#include "web/WebListener.h"
#include "web/WebRequests.h"
#include "web/WebSessions.h"
#include "web/WebState.h"

#include <QHash>
#include <QHostAddress>
#include <QHttpServer>
#include <QList>
#include <QObject>
#include <QTimer>

class QWebSocket;

namespace corvantis {

class AppCore;
class WebClient;

// The web panel: the page and its files from the program's resources over HTTP, and over one
// WebSocket per page the whole state on connect, then every change (gathered and sent once
// per turn of the event loop), and the page's requests answered at once and done on the
// core's action path. Viewing and routing are separate rights: routing needs the PIN, and the
// operator may keep viewing behind it too.
class WebServer : public QObject {
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = WebListener::kDefaultPort;

    struct Access {
        // The routing PIN as PinHash keeps it; empty: nobody routes from a page.
        QString pinHash;
        // Pages without the PIN may view.
        bool viewing = true;
        bool operator==(const Access &) const = default;
    };

    // core must outlive the server.
    explicit WebServer(AppCore &core, QObject *parent = nullptr);
    ~WebServer() override;

    // TLS from the next listen on; empty paths turn it off. False (errorString) when the files
    // hold no certificate or key.
    bool setTls(const QString &certificateFile, const QString &keyFile);
    // Moves to the address and keeps the connected pages. False (errorString says why;
    // nothing changed) when the address cannot be taken.
    bool listen(const QHostAddress &address = QHostAddress(QHostAddress::LocalHost),
                quint16 port = kDefaultPort);
    // Stops listening and drops every page.
    void close();
    bool isListening() const { return m_listener.isListening(); }
    bool isSecure() const { return m_listener.isSecure(); }
    quint16 serverPort() const { return m_listener.serverPort(); }
    QString errorString() const { return m_listener.errorString(); }
    int clientCount() const { return int(m_clients.size()); }
    // A new PIN takes routing from every page until it gives the new one.
    void setAccess(const Access &access);
    Access access() const { return m_access; }

signals:
    void clientConnected(const QString &name, const QString &peer);
    void clientClosed(const QString &name, const QString &reason);

private:
    struct File {
        QByteArray bytes;
        QByteArray type;
    };

    void addRoutes();
    QHttpServerResponse respond(const QHttpServerRequest &request, const File &file);
    QHttpServerResponse sessionInfo(const QHttpServerRequest &request);
    // The request's session, a new one when it names none; cookie is set for a new one.
    WebSession &sessionFor(const QHttpServerRequest &request, QByteArray &cookie);

    void acceptSockets();
    // Why the socket may not become a page's connection; empty when it may.
    QString admission(const QWebSocket &socket, WebSession *&session);
    void refuse(std::unique_ptr<QWebSocket> socket, const QString &reason);
    void greet(WebClient &client, const WebSession &session);
    void handle(WebClient *client, const QByteArray &message);
    QString login(WebClient &client, WebSession &session, const QJsonObject &request);
    void rightsChanged(const WebSession &session);
    void reply(WebClient &client, const QJsonValue &id, const QString &refusal);
    void dropClient(WebClient *client, const QString &reason);

    bool canView(const WebSession &session) const;
    QJsonObject sessionJson(const WebSession &session) const;
    void markChanged();
    void sendChanges();

    AppCore &m_core;
    QHttpServer m_http;
    WebListener m_listener{m_http};
    WebSessions m_sessions;
    LoginLimiter m_limiter;
    WebState m_state;
    WebRequests m_requests{m_core, m_state};
    Access m_access;
    QHash<QString, File> m_files;
    QList<WebClient *> m_clients;
    QTimer m_changeTimer;
};

} // namespace corvantis

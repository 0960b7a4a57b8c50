#include "web/WebServer.h"

#include "core/AppCore.h"
#include "web/PinHash.h"
#include "web/WebClient.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QWebSocket>

namespace corvantis {

namespace {

Q_LOGGING_CATEGORY(lcWeb, "corvantis.web")

// The page's files, compiled into the program; nothing else is served.
struct PageFile {
    const char *path;
    const char *resource;
    const char *type;
};
constexpr PageFile kPageFiles[] = {
    {"/", ":/web/index.html", "text/html; charset=utf-8"},
    {"/app.js", ":/web/app.js", "text/javascript; charset=utf-8"},
    {"/grid.js", ":/web/grid.js", "text/javascript; charset=utf-8"},
    {"/panels.js", ":/web/panels.js", "text/javascript; charset=utf-8"},
    {"/style.css", ":/web/style.css", "text/css; charset=utf-8"},
    {"/icon.svg", ":/web/icon.svg", "image/svg+xml"},
};

// The page may load its own files and talk to its own server, nothing else.
constexpr auto kPolicy = "default-src 'none'; script-src 'self'; style-src 'self'; "
                         "img-src 'self' data:; connect-src 'self'; base-uri 'none'; "
                         "form-action 'none'; frame-ancestors 'none'";

QByteArray headerOf(const QHttpServerRequest &request, const QByteArray &name)
{
    for (const auto &[key, value] : request.headers())
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

QJsonValue echoedId(const QJsonValue &id)
{
    // A page's own numbering comes back as it was; anything larger is not a request id.
    if (id.isDouble() || (id.isString() && id.toString().size() <= 64))
        return id;
    return QJsonValue::Null;
}

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

WebServer::WebServer(AppCore &core, QObject *parent)
    : QObject(parent), m_core(core), m_sessions([&core] { return core.locks().newOwner(); }),
      m_state(core)
{
    addRoutes();
    connect(&m_http, &QAbstractHttpServer::newWebSocketConnection, this, &WebServer::acceptSockets);
    connect(&m_sessions, &WebSessions::locksExpired, this, [this](int owner) {
        m_core.locks().releaseAll(owner);
        m_core.locks().setOwnerName(owner, {});
    });

    m_changeTimer.setSingleShot(true);
    m_changeTimer.setInterval(0);
    connect(&m_changeTimer, &QTimer::timeout, this, &WebServer::sendChanges);
    const auto changed = [this] { markChanged(); };
    connect(&core, &AppCore::routeStatesChanged, this, changed);
    connect(&core, &AppCore::namesChanged, this, changed);
    connect(&core, &AppCore::configurationReplaced, this, changed);
    connect(&core.truth(), &CrosspointTruth::changed, this, changed);
    connect(&core.engine(), &RoutingEngine::statusApplied, this, changed);
    connect(&core.locks(), &OutputLocks::changed, this, changed);
    connect(&core.health(), &RouterHealth::changed, this, changed);
    connect(&core.salvos(), &Salvos::changed, this, changed);
    connect(&core, &AppCore::routeProgress, this, [this](const RouteReport &report) {
        m_state.batchProgress(report);
        markChanged();
    });
    connect(&core, &AppCore::routesReported, this, [this](const RouteReport &report) {
        m_state.batchEnded(report);
        markChanged();
    });
    connect(&core.link(), &SerialLink::portOpenChanged, this, [this](bool open) {
        m_state.lineOpened(open);
        markChanged();
    });
    connect(&core.link(), &SerialLink::portLost, this, [this] {
        m_state.lineLost();
        markChanged();
    });
    connect(&core.link(), &SerialLink::errorMessageChanged, this, [this](const QString &text) {
        m_state.showMessage(text);
        markChanged();
    });
}

WebServer::~WebServer()
{
    close();
}

void WebServer::addRoutes()
{
    for (const PageFile &page : kPageFiles) {
        QFile file(QString::fromLatin1(page.resource));
        if (!file.open(QIODevice::ReadOnly)) {
            qCWarning(lcWeb) << "the page's file" << page.resource << "is not in the program";
            continue;
        }
        const QString path = QString::fromLatin1(page.path);
        m_files.insert(path, {file.readAll(), page.type});
        m_http.route(path, QHttpServerRequest::Method::Get,
                     [this, path](const QHttpServerRequest &request) {
                         return respond(request, m_files.value(path));
                     });
    }
    m_http.route(QStringLiteral("/session"), QHttpServerRequest::Method::Get,
                 [this](const QHttpServerRequest &request) { return sessionInfo(request); });
    // Qt upgrades a request to a WebSocket only where a route takes it, and answers it itself:
    // the page's Origin and session are checked as the connection arrives (acceptSockets).
    m_http.route(QStringLiteral("/ws"), QHttpServerRequest::Method::Get,
                 [](const QHttpServerRequest &, QHttpServerResponder &&) {});
}

WebSession &WebServer::sessionFor(const QHttpServerRequest &request, QByteArray &cookie)
{
    if (WebSession *session = m_sessions.find(headerOf(request, "Cookie")))
        return *session;
    WebSession &session = m_sessions.create(request.remoteAddress());
    cookie = WebSessions::setCookie(session, isSecure());
    return session;
}

QHttpServerResponse WebServer::respond(const QHttpServerRequest &request, const File &file)
{
    QHttpServerResponse response(file.type, file.bytes);
    // The page itself starts a session, so its connection finds one.
    if (file.type.startsWith("text/html")) {
        QByteArray cookie;
        sessionFor(request, cookie);
        if (!cookie.isEmpty())
            response.addHeader("Set-Cookie", cookie);
    }
    response.addHeader("Content-Security-Policy", kPolicy);
    response.addHeader("X-Content-Type-Options", "nosniff");
    response.addHeader("Referrer-Policy", "no-referrer");
    response.addHeader("Cache-Control", "no-cache");
    return response;
}

QHttpServerResponse WebServer::sessionInfo(const QHttpServerRequest &request)
{
    QByteArray cookie;
    const WebSession &session = sessionFor(request, cookie);
    QHttpServerResponse response(sessionJson(session));
    if (!cookie.isEmpty())
        response.addHeader("Set-Cookie", cookie);
    response.addHeader("Cache-Control", "no-store");
    return response;
}

bool WebServer::setTls(const QString &certificateFile, const QString &keyFile)
{
    return m_listener.setTls(certificateFile, keyFile);
}

bool WebServer::listen(const QHostAddress &address, quint16 port)
{
    if (!m_listener.listen(address, port))
        return false;
    qCInfo(lcWeb) << "web panel listening on" << address.toString() << serverPort()
                  << (isSecure() ? "with TLS" : "without TLS");
    return true;
}

void WebServer::close()
{
    m_listener.close();
    const QList<WebClient *> clients = m_clients;
    for (WebClient *client : clients)
        client->close(QStringLiteral("the server stopped"), QWebSocketProtocol::CloseCodeGoingAway);
}

void WebServer::setAccess(const Access &access)
{
    if (access == m_access)
        return;
    if (access.pinHash != m_access.pinHash)
        m_sessions.revokeRouting();
    m_access = access;
    for (WebClient *client : std::as_const(m_clients))
        if (const WebSession *session = m_sessions.byToken(client->token()))
            greet(*client, *session);
}

void WebServer::acceptSockets()
{
    while (m_http.hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = m_http.nextPendingWebSocketConnection();
        if (!socket)
            continue;
        WebSession *session = nullptr;
        const QString why = admission(*socket, session);
        if (!why.isEmpty()) {
            qCWarning(lcWeb) << "web page from" << socket->peerAddress().toString()
                             << "refused:" << why;
            refuse(std::move(socket), why);
            continue;
        }
        auto *client =
            new WebClient(std::move(socket), session->token, WebListener::kMaxBacklog, this);
        connect(client, &WebClient::received, this, &WebServer::handle);
        connect(client, &WebClient::closed, this, &WebServer::dropClient);
        m_clients.append(client);
        m_sessions.pageOpened(*session);
        m_core.locks().setOwnerName(session->owner, session->name);
        qCInfo(lcWeb) << session->name << "connected from" << client->peer();
        emit clientConnected(session->name, client->peer());
        greet(*client, *session);
    }
}

QString WebServer::admission(const QWebSocket &socket, WebSession *&session)
{
    if (socket.requestUrl().path() != QLatin1String("/ws"))
        return QStringLiteral("no such address");
    // A page served from elsewhere may not use a browser's session here.
    const QString host = QString::fromLatin1(socket.request().rawHeader("Host"));
    const QString own =
        (isSecure() ? QStringLiteral("https://") : QStringLiteral("http://")) + host;
    if (host.isEmpty() || socket.origin().compare(own, Qt::CaseInsensitive) != 0)
        return QStringLiteral("a page from another origin (%1)").arg(socket.origin().left(100));
    session = m_sessions.find(socket.request().rawHeader("Cookie"));
    if (!session)
        return QStringLiteral("no session: load the page again");
    if (!m_listener.admit())
        return QStringLiteral("already %1 pages connected").arg(WebListener::kMaxClients);
    return {};
}

void WebServer::refuse(std::unique_ptr<QWebSocket> socket, const QString &reason)
{
    // The close frame needs the socket a little longer; it goes when the page answered.
    QWebSocket *closing = socket.release();
    closing->setParent(this);
    connect(closing, &QWebSocket::disconnected, closing, &QObject::deleteLater);
    QTimer::singleShot(WebClient::kClosingMs, closing, &QObject::deleteLater);
    closing->close(QWebSocketProtocol::CloseCodePolicyViolated, reason.left(120));
}

bool WebServer::canView(const WebSession &session) const
{
    return m_access.viewing || session.canRoute;
}

QJsonObject WebServer::sessionJson(const WebSession &session) const
{
    return QJsonObject{{"name", session.name},
                       {"owner", session.owner},
                       {"view", canView(session)},
                       {"route", session.canRoute},
                       {"pin", !m_access.pinHash.isEmpty()},
                       {"secure", isSecure()}};
}

void WebServer::greet(WebClient &client, const WebSession &session)
{
    if (!canView(session)) {
        client.send(compact({{"type", "session"}, {"session", sessionJson(session)}}));
        return;
    }
    QJsonObject state = m_state.whole();
    state.insert("type", "state");
    state.insert("session", sessionJson(session));
    client.send(compact(state));
}

void WebServer::handle(WebClient *client, const QByteArray &message)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(message, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        reply(*client, QJsonValue::Null, QStringLiteral("A request is one JSON object"));
        return;
    }
    const QJsonObject request = document.object();
    const QJsonValue id = echoedId(request.value("id"));
    WebSession *session = m_sessions.byToken(client->token());
    if (!session) {
        client->close(QStringLiteral("the session ended"));
        return;
    }
    const QString verb = request.value("do").toString();
    QString refusal;
    if (verb == QLatin1String("login")) {
        refusal = login(*client, *session, request);
    } else if (verb == QLatin1String("logout")) {
        session->canRoute = false;
        rightsChanged(*session);
    } else if (!canView(*session)) {
        refusal = QStringLiteral("Viewing needs the PIN");
    } else if (WebRequests::routes(verb) && !session->canRoute) {
        refusal = m_access.pinHash.isEmpty()
                      ? QStringLiteral("Routing from the web is off: no PIN is set")
                      : QStringLiteral("This page may only view: give the PIN to route");
    } else {
        refusal = m_requests.run(request, session->owner);
    }
    if (!refusal.isEmpty())
        qCInfo(lcWeb) << session->name << "refused" << verb.left(32) << ":" << refusal;
    reply(*client, id, refusal);
}

QString WebServer::login(WebClient &client, WebSession &session, const QJsonObject &request)
{
    if (m_access.pinHash.isEmpty())
        return QStringLiteral("Routing from the web is off: no PIN is set");
    const int wait = m_limiter.attempt(client.address());
    if (wait > 0)
        return QStringLiteral("Too many PIN attempts: try again in %1 s").arg(wait);
    if (!PinHash::matches(m_access.pinHash, request.value("pin").toString()))
        return QStringLiteral("Wrong PIN");
    if (!session.canRoute) {
        session.canRoute = true;
        rightsChanged(session);
    }
    return {};
}

void WebServer::rightsChanged(const WebSession &session)
{
    for (WebClient *client : std::as_const(m_clients))
        if (client->token() == session.token)
            greet(*client, session);
}

void WebServer::reply(WebClient &client, const QJsonValue &id, const QString &refusal)
{
    QJsonObject answer{{"type", "reply"}, {"id", id}, {"ok", refusal.isEmpty()}};
    if (!refusal.isEmpty())
        answer.insert("error", refusal);
    client.send(compact(answer));
}

void WebServer::dropClient(WebClient *client, const QString &reason)
{
    m_clients.removeOne(client);
    m_listener.release();
    const WebSession *session = m_sessions.byToken(client->token());
    const QString name = session ? session->name : QStringLiteral("web page");
    m_sessions.pageClosed(client->token());
    qCInfo(lcWeb) << name << "closed:" << reason;
    emit clientClosed(name, reason);
}

void WebServer::markChanged()
{
    if (!m_changeTimer.isActive())
        m_changeTimer.start();
}

void WebServer::sendChanges()
{
    QJsonObject changes = m_state.changes();
    if (changes.isEmpty() || m_clients.isEmpty())
        return;
    const QList<WebClient *> clients = m_clients;
    // Sizes, names and routers may all be new: every page starts again from the whole.
    if (changes.contains("matrix")) {
        for (WebClient *client : clients)
            if (const WebSession *session = m_sessions.byToken(client->token()))
                greet(*client, *session);
        return;
    }
    changes.insert("type", "change");
    const QByteArray bytes = compact(changes);
    for (WebClient *client : clients) {
        const WebSession *session = m_sessions.byToken(client->token());
        if (session && canView(*session))
            client->send(bytes);
    }
}

} // namespace corvantis

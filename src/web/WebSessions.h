#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>
#include <map>

namespace corvantis {

// One browser as the web panel knows it, by its cookie: its name and lock owner id, and
// whether it may route (it gave the PIN).
struct WebSession {
    QByteArray token;
    int owner = 0;
    // "web 192.168.1.20", as locks name their holder.
    QString name;
    QHostAddress address;
    bool canRoute = false;
    // Pages of this session connected now.
    int pages = 0;
    qint64 lastUse = 0;
};

// The sessions by cookie (HttpOnly, SameSite=Strict, Secure under TLS). A session outlives a
// dropped connection, so a page that reconnects keeps its rights; its locks end when none of
// its pages came back within kLockGraceMs. There are at most kMaxSessions: a new one pushes
// out the longest unused session without a page, and a session unused for kIdleLimitMs ends.
class WebSessions : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxSessions = 256;
    static constexpr int kLockGraceMs = 30 * 1000;
    static constexpr qint64 kIdleLimitMs = 12 * 3600 * 1000;
    static constexpr const char *kCookieName = "corvantis_session";

    // ownerIds gives a fresh lock owner id for each new session.
    explicit WebSessions(std::function<int()> ownerIds, QObject *parent = nullptr);

    // The session a request's Cookie header names; nullptr when it names none that lives.
    WebSession *find(const QByteArray &cookieHeader);
    WebSession *byToken(const QByteArray &token);
    WebSession &create(const QHostAddress &peer);
    static QByteArray setCookie(const WebSession &session, bool secure);

    void pageOpened(WebSession &session);
    void pageClosed(const QByteArray &token);
    // A new PIN: nobody routes until they gave it.
    void revokeRouting();
    int count() const { return int(m_sessions.size()); }

signals:
    // The session's locks are to end: its pages stayed away, or the session ended.
    void locksExpired(int owner);

private:
    void erase(std::map<QByteArray, WebSession>::iterator found);

    std::function<int()> m_ownerIds;
    std::map<QByteArray, WebSession> m_sessions;
    QElapsedTimer m_clock;
};

} // namespace corvantis

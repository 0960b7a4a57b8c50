#include "web/WebSessions.h"

#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>

namespace corvantis {

namespace {

QByteArray newToken()
{
    QByteArray bytes(32, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()),
                                          bytes.size() / 4);
    return bytes.toHex();
}

QByteArray tokenIn(const QByteArray &cookieHeader)
{
    const QByteArray prefix = QByteArray(WebSessions::kCookieName) + '=';
    for (const QByteArray &part : cookieHeader.split(';')) {
        const QByteArray cookie = part.trimmed();
        if (cookie.startsWith(prefix))
            return cookie.mid(prefix.size());
    }
    return {};
}

QString addressText(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

} // namespace

WebSessions::WebSessions(std::function<int()> ownerIds, QObject *parent)
    : QObject(parent), m_ownerIds(std::move(ownerIds))
{
    m_clock.start();
}

WebSession *WebSessions::find(const QByteArray &cookieHeader)
{
    return byToken(tokenIn(cookieHeader));
}

WebSession *WebSessions::byToken(const QByteArray &token)
{
    const auto found = m_sessions.find(token);
    if (token.isEmpty() || found == m_sessions.end())
        return nullptr;
    const qint64 now = m_clock.elapsed();
    if (found->second.pages == 0 && now - found->second.lastUse > kIdleLimitMs) {
        erase(found);
        return nullptr;
    }
    found->second.lastUse = now;
    return &found->second;
}

WebSession &WebSessions::create(const QHostAddress &peer)
{
    if (m_sessions.size() >= std::size_t(kMaxSessions)) {
        auto oldest = m_sessions.end();
        for (auto it = m_sessions.begin(); it != m_sessions.end(); ++it)
            if (it->second.pages == 0 &&
                (oldest == m_sessions.end() || it->second.lastUse < oldest->second.lastUse))
                oldest = it;
        // Every session has a page only if the client limit is above kMaxSessions.
        if (oldest != m_sessions.end())
            erase(oldest);
    }
    WebSession session;
    session.token = newToken();
    session.owner = m_ownerIds();
    session.address = peer;
    session.name = QStringLiteral("web %1").arg(addressText(peer));
    session.lastUse = m_clock.elapsed();
    return m_sessions.emplace(session.token, session).first->second;
}

QByteArray WebSessions::setCookie(const WebSession &session, bool secure)
{
    QByteArray cookie =
        QByteArray(kCookieName) + '=' + session.token + "; Path=/; HttpOnly; SameSite=Strict";
    if (secure)
        cookie += "; Secure";
    return cookie;
}

void WebSessions::pageOpened(WebSession &session)
{
    ++session.pages;
    session.lastUse = m_clock.elapsed();
}

void WebSessions::pageClosed(const QByteArray &token)
{
    WebSession *session = byToken(token);
    if (!session || --session->pages > 0)
        return;
    QTimer::singleShot(kLockGraceMs, this, [this, token] {
        const auto found = m_sessions.find(token);
        if (found != m_sessions.end() && found->second.pages == 0)
            emit locksExpired(found->second.owner);
    });
}

void WebSessions::revokeRouting()
{
    for (auto &[token, session] : m_sessions)
        session.canRoute = false;
}

void WebSessions::erase(std::map<QByteArray, WebSession>::iterator found)
{
    const int owner = found->second.owner;
    m_sessions.erase(found);
    emit locksExpired(owner);
}

} // namespace corvantis

#pragma once

#include <QJsonObject>
#include <QString>

namespace corvantis {

class AppCore;
class WebState;

// What a page may ask of the core: route, take (many routes as one action), fire a salvo,
// retry what a batch left failed, lock and unlock outputs. Each is checked as it arrives and
// put on the core's one action path on behalf of the page's lock owner; the answer says at
// once whether it was accepted, and what it changes reaches every page as the routers
// confirm it. Numbers are logical and 0-based, as in macros.
class WebRequests {
public:
    static constexpr int kMaxTakeRoutes = 256;

    WebRequests(AppCore &core, const WebState &state);

    // True for the requests that need the right to route.
    static bool routes(const QString &verb);
    // Empty when accepted; otherwise why it was refused, and nothing of it is done.
    QString run(const QJsonObject &request, int owner);

private:
    QString route(const QJsonObject &request, int owner);
    QString take(const QJsonObject &request, int owner);
    QString fire(const QJsonObject &request, int owner);
    QString retry(const QJsonObject &request, int owner);
    QString lock(const QJsonObject &request, int owner, bool locking);
    // The output of a request when it is one a router owns; -1 and why otherwise.
    int output(const QJsonValue &value, QString &why) const;

    AppCore &m_core;
    const WebState &m_state;
};

} // namespace corvantis

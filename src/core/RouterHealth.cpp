#include "core/RouterHealth.h"

#include "util/clsDebug.h"

namespace corvantis {

void RouterHealth::reset(const std::vector<int> &frameAddresses)
{
    m_routers.clear();
    for (const int frame : frameAddresses)
        m_routers[frame] = {};
    for (const int frame : frameAddresses)
        emit changed(frame);
}

RouterHealth::Router RouterHealth::at(int frameAddress) const
{
    const auto found = m_routers.find(frameAddress);
    return found == m_routers.end() ? Router{} : found->second;
}

bool RouterHealth::stale(int frameAddress) const
{
    const Router router = at(frameAddress);
    return router.state == State::Offline || router.resyncing;
}

void RouterHealth::setState(int frameAddress, Router &router, State state)
{
    if (router.state == state)
        return;
    const bool back = router.state == State::Offline && state == State::Online;
    router.state = state;
    DebugLog().Log("Router " + std::to_string(frameAddress) + " " + stateText(state).toStdString());
    if (back) {
        router.resyncing = true;
        emit resyncNeeded(frameAddress);
    }
}

void RouterHealth::answered(int frameAddress)
{
    Router &router = m_routers[frameAddress];
    router.lastAnswer = QDateTime::currentDateTime();
    router.missedTurns = 0;
    setState(frameAddress, router, State::Online);
    emit changed(frameAddress);
}

void RouterHealth::unanswered(int frameAddress)
{
    // Counted, not judged: the route itself shows as failed, and only the polls, which ask
    // nothing of the router but an answer, say it is gone.
    ++m_routers[frameAddress].unanswered;
    emit changed(frameAddress);
}

void RouterHealth::resent(int frameAddress)
{
    ++m_routers[frameAddress].resends;
    emit changed(frameAddress);
}

void RouterHealth::polled(int frameAddress, bool answeredPoll)
{
    if (answeredPoll) {
        answered(frameAddress);
        return;
    }
    Router &router = m_routers[frameAddress];
    if (++router.missedTurns >= kStaleTurns)
        setState(frameAddress, router, State::Offline);
    emit changed(frameAddress);
}

void RouterHealth::statusRead()
{
    for (auto &[frame, router] : m_routers) {
        if (!router.resyncing)
            continue;
        router.resyncing = false;
        DebugLog().Log("Router " + std::to_string(frame) + " resynchronised");
        emit changed(frame);
    }
}

void RouterHealth::lineLost()
{
    for (auto &[frame, router] : m_routers) {
        if (router.state == State::Unknown)
            continue;
        // Offline, so the first answer on the line that comes back starts a resync.
        router.missedTurns = kStaleTurns;
        setState(frame, router, State::Offline);
        emit changed(frame);
    }
}

QString RouterHealth::stateText(State state)
{
    switch (state) {
    case State::Online:
        return QStringLiteral("online");
    case State::Offline:
        return QStringLiteral("offline");
    case State::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

} // namespace corvantis

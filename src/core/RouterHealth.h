#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <map>
#include <vector>

namespace corvantis {

// Whether each router answers, learned from everything it says: acknowledgements, status and
// alive replies. A router that missed its last kStaleTurns polls is offline and its outputs
// are stale (an unanswered command is counted and fails its route); when it answers again it stays
// stale until its full status was read (a resync), so nothing of it is shown as confirmed on old
// news.
class RouterHealth : public QObject {
    Q_OBJECT

public:
    enum class State { Unknown, Online, Offline };
    static constexpr int kStaleTurns = 3;

    struct Router {
        State state = State::Unknown;
        QDateTime lastAnswer;
        int unanswered = 0;
        int resends = 0;
        int missedTurns = 0;
        // Answered again after being offline; stale until its status was read.
        bool resyncing = false;
    };

    using QObject::QObject;

    // The routers now configured, each unknown until it answers; a router first heard of
    // later is added then.
    void reset(const std::vector<int> &frameAddresses);
    Router at(int frameAddress) const;
    // True while what the window shows of the router cannot be trusted.
    bool stale(int frameAddress) const;

    void answered(int frameAddress);
    void unanswered(int frameAddress);
    void resent(int frameAddress);
    void polled(int frameAddress, bool answered);
    // Every router's full status was read: the resyncs are done.
    void statusRead();
    // The line was lost: nobody knows; each router is asked again when it answers.
    void lineLost();

    static QString stateText(State state);

signals:
    void changed(int frameAddress);
    // The router answers again after being offline: its full status is to be read.
    void resyncNeeded(int frameAddress);

private:
    void setState(int frameAddress, Router &router, State state);

    std::map<int, Router> m_routers;
};

} // namespace corvantis

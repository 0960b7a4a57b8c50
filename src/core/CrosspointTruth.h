#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <map>
#include <set>

namespace corvantis {

// What is known of every output of every router, level by level: the routers confirmed what
// the route states hold, a route to it is pending (queued or on the wire), the last route to it
// failed, or its router stopped answering and nobody knows (stale). The route states keep the
// input that holds; this keeps everything else the operator needs to trust them.
class CrosspointTruth : public QObject {
    Q_OBJECT

public:
    enum class State { Confirmed, Pending, Failed, Stale };
    // Levels as bits, as routes give them.
    static constexpr int kVideo = 1;
    static constexpr int kAudio = 2;

    struct Cell {
        State state = State::Confirmed;
        // The physical input asked for while pending, -1 otherwise.
        int pendingInput = -1;
        // Why and when the last route failed, while failed.
        QString reason;
        QDateTime failedAt;
    };

    using QObject::QObject;

    // One level of one physical output; a level other than kAudio means video.
    Cell at(int frameAddress, int output, int level) const;

    // A route was queued or went on the wire; it stays pending until it ended or was dropped.
    void routeQueued(int frameAddress, int output, int input, int levels);
    // It ended: confirmed by the router, or failed with the reason.
    void routeConfirmed(int frameAddress, int output, int levels);
    void routeFailed(int frameAddress, int output, int levels, const QString &reason);
    // It never ran (cancelled, or skipped for a lock): what was known before holds again.
    void routeDropped(int frameAddress, int output, int levels);
    // The routers told their state (a status reply): no earlier failure stands any more.
    void routersConfirmed();
    void setRouterStale(int frameAddress, bool stale);
    bool routerStale(int frameAddress) const { return m_staleRouters.count(frameAddress) != 0; }
    // The routers were replaced: nothing of the old ones is known here.
    void clear();

signals:
    // Something changed: views redraw.
    void changed();

private:
    struct Entry {
        int pending = 0;
        int pendingInput = -1;
        QString reason;
        QDateTime failedAt;
    };
    using Key = long;
    static Key key(int frameAddress, int output, int level);
    // Applies f to the entry of each level in levels, then drops entries that say nothing.
    template <typename F> void update(int frameAddress, int output, int levels, F f);

    std::map<Key, Entry> m_entries;
    std::set<int> m_staleRouters;
};

} // namespace corvantis

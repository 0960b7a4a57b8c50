#include "core/CrosspointTruth.h"

#include <algorithm>
#include <iterator>

namespace corvantis {

CrosspointTruth::Key CrosspointTruth::key(int frameAddress, int output, int level)
{
    const int levelIndex = level == kAudio ? 1 : 0;
    return (static_cast<Key>(frameAddress) << 20) | (static_cast<Key>(output) << 1) | levelIndex;
}

CrosspointTruth::Cell CrosspointTruth::at(int frameAddress, int output, int level) const
{
    Cell cell;
    const auto found = m_entries.find(key(frameAddress, output, level));
    if (found != m_entries.end() && found->second.pending > 0) {
        cell.state = State::Pending;
        cell.pendingInput = found->second.pendingInput;
        return cell;
    }
    if (routerStale(frameAddress)) {
        cell.state = State::Stale;
        return cell;
    }
    if (found != m_entries.end() && found->second.failedAt.isValid()) {
        cell.state = State::Failed;
        cell.reason = found->second.reason;
        cell.failedAt = found->second.failedAt;
    }
    return cell;
}

template <typename F> void CrosspointTruth::update(int frameAddress, int output, int levels, F f)
{
    for (const int level : {kVideo, kAudio}) {
        if (!(levels & level))
            continue;
        const Key k = key(frameAddress, output, level);
        Entry &entry = m_entries[k];
        f(entry);
        if (entry.pending <= 0 && !entry.failedAt.isValid())
            m_entries.erase(k);
    }
    emit changed();
}

void CrosspointTruth::routeQueued(int frameAddress, int output, int input, int levels)
{
    update(frameAddress, output, levels, [input](Entry &entry) {
        ++entry.pending;
        entry.pendingInput = input;
    });
}

void CrosspointTruth::routeConfirmed(int frameAddress, int output, int levels)
{
    update(frameAddress, output, levels, [](Entry &entry) {
        entry.pending = std::max(0, entry.pending - 1);
        entry.failedAt = {};
        entry.reason.clear();
    });
}

void CrosspointTruth::routeFailed(int frameAddress, int output, int levels, const QString &reason)
{
    update(frameAddress, output, levels, [&reason](Entry &entry) {
        entry.pending = std::max(0, entry.pending - 1);
        entry.reason = reason;
        entry.failedAt = QDateTime::currentDateTime();
    });
}

void CrosspointTruth::routeDropped(int frameAddress, int output, int levels)
{
    update(frameAddress, output, levels,
           [](Entry &entry) { entry.pending = std::max(0, entry.pending - 1); });
}

void CrosspointTruth::routersConfirmed()
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        it->second.failedAt = {};
        it->second.reason.clear();
        it = it->second.pending > 0 ? std::next(it) : m_entries.erase(it);
    }
    emit changed();
}

void CrosspointTruth::setRouterStale(int frameAddress, bool stale)
{
    if (stale == routerStale(frameAddress))
        return;
    if (stale)
        m_staleRouters.insert(frameAddress);
    else
        m_staleRouters.erase(frameAddress);
    emit changed();
}

void CrosspointTruth::clear()
{
    m_entries.clear();
    m_staleRouters.clear();
    emit changed();
}

} // namespace corvantis

#include "sim/PacedByteQueue.h"

#include <algorithm>

namespace corvantis {

namespace {
constexpr std::chrono::nanoseconds kTimerSlack{500'000};
}

PacedByteQueue::PacedByteQueue(QObject *parent) : QObject(parent)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PacedByteQueue::pump);
}

void PacedByteQueue::enqueue(const QByteArray &bytes, std::chrono::milliseconds holdBack)
{
    if (bytes.isEmpty())
        return;
    const qint64 notBefore = m_clock.nsecsElapsed() + std::chrono::nanoseconds(holdBack).count();
    m_chunks.push_back({bytes, 0, notBefore});
    if (!m_timer.isActive())
        m_timer.start(0);
}

void PacedByteQueue::clear()
{
    m_chunks.clear();
    m_timer.stop();
}

void PacedByteQueue::pump()
{
    const qint64 now = m_clock.nsecsElapsed();
    QByteArray due;
    qint64 nextNs = -1;
    while (!m_chunks.empty()) {
        Chunk &chunk = m_chunks.front();
        if (!m_pacing) {
            if (chunk.notBeforeNs > now + kTimerSlack.count()) {
                nextNs = chunk.notBeforeNs;
                break;
            }
            due.append(chunk.bytes.mid(chunk.sent));
            m_chunks.pop_front();
            continue;
        }
        // A byte is through once all its bits have been on the line.
        const qint64 done = std::max(chunk.notBeforeNs, m_lineFreeNs) + kByteTime.count();
        if (done > now + kTimerSlack.count()) {
            nextNs = done;
            break;
        }
        due.append(chunk.bytes.at(chunk.sent++));
        m_lineFreeNs = done;
        if (chunk.sent >= chunk.bytes.size())
            m_chunks.pop_front();
    }
    if (nextNs >= 0) {
        // Timers count whole milliseconds: a byte may leave up to half of one early, which
        // keeps the average rate at 9600 baud instead of lagging behind it.
        const qint64 waitMs = (nextNs - now + 500'000) / 1'000'000;
        m_timer.start(static_cast<int>(std::min<qint64>(waitMs, 24 * 3600 * 1000)));
    }
    if (!due.isEmpty())
        Q_EMIT bytesDue(due);
}

} // namespace corvantis

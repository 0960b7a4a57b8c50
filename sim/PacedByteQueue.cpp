#include "sim/PacedByteQueue.h"

#include <algorithm>

namespace corvantis {

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
        const qint64 at = m_pacing ? std::max(chunk.notBeforeNs, m_lineFreeNs) : chunk.notBeforeNs;
        if (at > now) {
            nextNs = at;
            break;
        }
        if (m_pacing) {
            due.append(chunk.bytes.at(chunk.sent++));
            m_lineFreeNs = at + kByteTime.count();
        } else {
            due.append(chunk.bytes.mid(chunk.sent));
            chunk.sent = chunk.bytes.size();
        }
        if (chunk.sent >= chunk.bytes.size())
            m_chunks.pop_front();
    }
    if (nextNs >= 0) {
        // Round up, so the timer never fires before the byte is due.
        const qint64 waitMs = (nextNs - now + 999'999) / 1'000'000;
        m_timer.start(static_cast<int>(std::min<qint64>(waitMs, 24 * 3600 * 1000)));
    }
    if (!due.isEmpty())
        Q_EMIT bytesDue(due);
}

} // namespace corvantis

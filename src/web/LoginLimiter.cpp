#include "web/LoginLimiter.h"

namespace corvantis {

namespace {

// Above this many addresses, those without an attempt in the window are dropped.
constexpr qsizetype kRememberedAddresses = 1024;

} // namespace

int LoginLimiter::attempt(const QHostAddress &address)
{
    const qint64 now = m_clock.elapsed();
    if (m_attempts.size() > kRememberedAddresses)
        forgetQuiet(now);
    // An IPv4 peer on a dual-stack socket is one address, however it is written.
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    QList<qint64> &times = m_attempts[isV4 ? QHostAddress(v4).toString() : address.toString()];
    while (!times.isEmpty() && now - times.front() >= kWindowMs)
        times.removeFirst();
    if (times.size() >= kAttempts)
        return int((times.front() + kWindowMs - now + 999) / 1000);
    times.append(now);
    return 0;
}

void LoginLimiter::forgetQuiet(qint64 now)
{
    m_attempts.removeIf([now](QHash<QString, QList<qint64>>::iterator entry) {
        return entry->isEmpty() || now - entry->back() >= kWindowMs;
    });
}

} // namespace corvantis

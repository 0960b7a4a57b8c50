#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>

namespace corvantis {

// PIN attempts per address: kAttempts in any kWindowMs, so guessing a PIN from one address
// takes years. Addresses that stopped trying are forgotten.
class LoginLimiter {
public:
    static constexpr int kAttempts = 5;
    static constexpr qint64 kWindowMs = 60 * 1000;

    LoginLimiter() { m_clock.start(); }

    // Counts an attempt and returns 0 when it may be made; otherwise the seconds until the
    // address may try again, and nothing is counted.
    int attempt(const QHostAddress &address);

private:
    void forgetQuiet(qint64 now);

    QElapsedTimer m_clock;
    // Milliseconds on m_clock of each address's attempts within the window, oldest first.
    QHash<QString, QList<qint64>> m_attempts;
};

} // namespace corvantis

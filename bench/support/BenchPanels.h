#pragma once

// What the panel-server timing programs share: panels on loopback sockets that note when
// they last read, waiting without spinning, and the figures' print-out.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace corvantis::bench {

using Clock = std::chrono::steady_clock;

inline bool waitFor(const std::function<bool()> &condition,
                    std::chrono::milliseconds limit = std::chrono::seconds(5))
{
    QDeadlineTimer deadline(limit);
    QTimer wake;
    wake.start(std::chrono::milliseconds(20));
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

struct Panel {
    QTcpSocket socket;
    QByteArray received;
    Clock::time_point lastRead;
};

// Connected and past the prelude.
inline std::unique_ptr<Panel> connectPanel(quint16 port)
{
    auto panel = std::make_unique<Panel>();
    Panel *p = panel.get();
    QObject::connect(&p->socket, &QTcpSocket::readyRead, &p->socket, [p] {
        p->received += p->socket.readAll();
        p->lastRead = Clock::now();
    });
    p->socket.connectToHost(QHostAddress::LocalHost, port);
    if (!waitFor([p] { return p->received.contains("END PRELUDE:\n\n"); }))
        std::fprintf(stderr, "no prelude\n");
    p->received.clear();
    return panel;
}

// RUSAGE_THREAD leaves out a virtual line running in a thread of its own.
inline double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The share of one core used while the event loop runs for span.
inline double idleCpuPercent(std::chrono::seconds span, int who)
{
    QEventLoop loop;
    QTimer::singleShot(span, &loop, &QEventLoop::quit);
    const double before = cpuSeconds(who);
    const auto start = Clock::now();
    loop.exec();
    return 100.0 * (cpuSeconds(who) - before) /
           std::chrono::duration<double>(Clock::now() - start).count();
}

inline double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

inline void report(const char *what, std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    std::printf("%-48s median %7.3f ms   95%% %7.3f ms   max %7.3f ms\n", what, v[v.size() / 2],
                v[v.size() * 95 / 100], v.back());
}

} // namespace corvantis::bench

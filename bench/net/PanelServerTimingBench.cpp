// From a route request to its ACK and to the routing update, less the time the route itself
// took behind MatrixControl; and the CPU the server uses with 32 idle clients against none.
// Server and clients share one event loop, so the latencies include the clients' own work.
#include "FakeMatrixControl.h"
#include "core/OutputLocks.h"
#include "net/PanelServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <vector>

using namespace corvantis;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Notes when each route entered the action path and when its result came out.
class TimedMatrix : public test::FakeMatrixControl {
public:
    using FakeMatrixControl::FakeMatrixControl;
    void requestRoute(const QList<Route> &routes, int clientId) override
    {
        queued = Clock::now();
        FakeMatrixControl::requestRoute(routes, clientId);
    }
    Clock::time_point queued;
};

bool waitFor(const std::function<bool()> &condition, std::chrono::milliseconds limit = 5s)
{
    QDeadlineTimer deadline(limit);
    QTimer wake;
    wake.start(20ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

struct Client {
    QTcpSocket socket;
    QByteArray received;
    Clock::time_point lastRead;
};

std::unique_ptr<Client> connectClient(quint16 port)
{
    auto client = std::make_unique<Client>();
    Client *c = client.get();
    QObject::connect(&c->socket, &QTcpSocket::readyRead, &c->socket, [c] {
        c->received += c->socket.readAll();
        c->lastRead = Clock::now();
    });
    c->socket.connectToHost(QHostAddress::LocalHost, port);
    if (!waitFor([c] { return c->received.contains("END PRELUDE:\n\n"); }))
        std::fprintf(stderr, "no prelude\n");
    c->received.clear();
    return client;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double idleCpuShare(std::chrono::seconds span)
{
    QEventLoop loop;
    QTimer::singleShot(span, &loop, &QEventLoop::quit);
    const double before = cpuSeconds();
    const auto start = Clock::now();
    loop.exec();
    return (cpuSeconds() - before) / std::chrono::duration<double>(Clock::now() - start).count();
}

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("corvantis.net.info=false"));
    constexpr int kRoutes = 200;
    const auto routeTime = 20ms;

    TimedMatrix matrix(test::FakeMatrixControl::squareLayout(128));
    matrix.routeTime = routeTime;
    Clock::time_point emitted;
    QObject::connect(&matrix, &MatrixControl::routingChanged, &matrix,
                     [&] { emitted = Clock::now(); });
    OutputLocks locks;
    PanelServer server(matrix, locks);
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 1;

    const double idleNone = idleCpuShare(5s);

    std::vector<std::unique_ptr<Client>> clients;
    for (int n = 0; n < PanelServer::kMaxClients; ++n)
        clients.push_back(connectClient(server.serverPort()));
    const double idleFull = idleCpuShare(5s);

    // One client routes; every client waits for the update.
    std::vector<double> toAck, toUpdate, toLastClient;
    Client &requester = *clients.front();
    for (int k = 0; k < kRoutes; ++k) {
        for (auto &c : clients)
            c->received.clear();
        const QByteArray line =
            QByteArray::number(k % 128) + ' ' + QByteArray::number((k * 7 + 1) % 128) + '\n';
        Clock::time_point acked{};
        const auto sent = Clock::now();
        requester.socket.write("VIDEO OUTPUT ROUTING:\n" + line + '\n');
        const bool done = waitFor([&] {
            if (acked == Clock::time_point{} && requester.received.startsWith("ACK\n\n"))
                acked = requester.lastRead;
            return std::all_of(clients.begin(), clients.end(),
                               [&](const auto &c) { return c->received.endsWith(line + '\n'); });
        });
        if (!done) {
            std::fprintf(stderr, "route %d got no update\n", k);
            return 1;
        }
        const auto own = emitted - matrix.queued;
        toAck.push_back(ms(acked - sent));
        toUpdate.push_back(ms(requester.lastRead - sent - own));
        Clock::time_point last = sent;
        for (const auto &c : clients)
            last = std::max(last, c->lastRead);
        toLastClient.push_back(ms(last - sent - own));
    }

    const auto report = [](const char *what, std::vector<double> v) {
        std::sort(v.begin(), v.end());
        std::printf("%-44s median %6.3f ms   95%% %6.3f ms   max %6.3f ms\n", what, v[v.size() / 2],
                    v[v.size() * 95 / 100], v.back());
    };
    std::printf("%d routes of %lld ms each, 32 clients connected\n", kRoutes,
                static_cast<long long>(routeTime.count()));
    report("request to ACK", toAck);
    report("request to update, less the route's time", toUpdate);
    report("same, until the last of 32 clients has it", toLastClient);
    std::printf("CPU idle, no clients:   %.3f %% of one core\n", idleNone * 100);
    std::printf("CPU idle, 32 clients:   %.3f %% of one core\n", idleFull * 100);
    return 0;
}

// From a route request to its ACK and to the routing update, less the time the route itself
// took behind MatrixControl; and the CPU the server uses with 32 idle clients against none.
// Server and clients share one event loop, so the latencies include the clients' own work.
#include "BenchPanels.h"
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
using namespace corvantis::bench;
using namespace std::chrono_literals;

namespace {

// Notes when each route entered the action path and when its result came out.
class TimedMatrix : public test::FakeMatrixControl {
public:
    using FakeMatrixControl::FakeMatrixControl;
    bool requestRoute(const QList<Route> &routes, int clientId) override
    {
        queued = Clock::now();
        return FakeMatrixControl::requestRoute(routes, clientId);
    }
    Clock::time_point queued;
};

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

    const double idleNone = idleCpuPercent(5s, RUSAGE_SELF);

    std::vector<std::unique_ptr<Panel>> clients;
    for (int n = 0; n < PanelServer::kMaxClients; ++n)
        clients.push_back(connectPanel(server.serverPort()));
    const double idleFull = idleCpuPercent(5s, RUSAGE_SELF);

    // One client routes; every client waits for the update.
    std::vector<double> toAck, toUpdate, toLastClient;
    Panel &requester = *clients.front();
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

    std::printf("%d routes of %lld ms each, 32 clients connected\n", kRoutes,
                static_cast<long long>(routeTime.count()));
    report("request to ACK", toAck);
    report("request to update, less the route's time", toUpdate);
    report("same, until the last of 32 clients has it", toLastClient);
    std::printf("CPU idle, no clients:   %.3f %% of one core\n", idleNone);
    std::printf("CPU idle, 32 clients:   %.3f %% of one core\n", idleFull);
    return 0;
}

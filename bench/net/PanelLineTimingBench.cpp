// A panel's route through the whole program: the panel server, the core's action path, the
// link and the virtual router line paced at 9600 baud in a thread of its own. From the request
// to its ACK, and to the routing update less the route's own time on the line (the frame and
// its reply on the wire; the gap after it holds back only the next frame). Also the CPU of 32 idle
// panels against none, with the status tick running.
#include "BenchLine.h"
#include "BenchPanels.h"
#include "core/AppCore.h"
#include "link/Framing.h"
#include "service/HeadlessService.h"
#include "util/GeneralFunctions.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <cstdio>

using namespace corvantis;
using namespace corvantis::bench;
using namespace std::chrono_literals;

namespace {

constexpr double kByteSeconds = 10.0 / 9600.0;
constexpr double kAllowedExtraMs = 5.0;
constexpr double kAllowedIdleCpu = 1.0;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("corvantis.net.info=false"));
    // The ports folder and the configuration live in a data folder of their own.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());

    Program source(kTypeB, 2);
    std::string path = data.filePath(QStringLiteral("line.rcf")).toStdString();
    ConfigSave(path, true, source.config);

    LineThread thread;
    const bool opened = openTypeBLine(thread);
    AppCore core;
    HeadlessService service(core);
    if (!opened || !service.start(QString::fromStdString(path)) ||
        !service.listen(QStringLiteral("127.0.0.1"), 0)) {
        std::fprintf(stderr, "cannot start the service on the virtual line\n");
        return 1;
    }
    const quint16 port = service.server().serverPort();
    processEventsFor(1s); // the start-up status request

    const double idleNone = idleCpuPercent(10s, RUSAGE_THREAD);
    std::vector<std::unique_ptr<Panel>> panels;
    for (int n = 0; n < PanelServer::kMaxClients; ++n)
        panels.push_back(connectPanel(port));
    const double idleFull = idleCpuPercent(10s, RUSAGE_THREAD);

    const auto frame = BuildFrame(kTypeB, 0, CmdRoute, 0, 0).size();
    // The frame and one acknowledging byte back: the route ends with its acknowledgement.
    const double routeMs = 1000.0 * kByteSeconds * double(frame + 1);
    std::vector<double> toAck, toUpdate, toLast;
    Panel &requester = *panels.front();
    constexpr int kRoutes = 40;
    for (int k = 0; k < kRoutes; ++k) {
        for (auto &p : panels)
            p->received.clear();
        const QByteArray line =
            QByteArray::number(k % 16) + ' ' + QByteArray::number((k * 7 + 1) % 16) + '\n';
        Clock::time_point acked{};
        const auto sent = Clock::now();
        requester.socket.write("VIDEO OUTPUT ROUTING:\n" + line + '\n');
        const bool done = waitFor([&] {
            if (acked == Clock::time_point{} && requester.received.startsWith("ACK\n\n"))
                acked = requester.lastRead;
            return std::all_of(panels.begin(), panels.end(),
                               [&](const auto &p) { return p->received.contains(line); });
        });
        if (!done) {
            std::fprintf(stderr, "route %d got no update\n", k);
            return 1;
        }
        toAck.push_back(ms(acked - sent));
        toUpdate.push_back(ms(requester.lastRead - sent) - routeMs);
        Clock::time_point last = sent;
        for (const auto &p : panels)
            last = std::max(last, p->lastRead);
        toLast.push_back(ms(last - sent) - routeMs);
        // The gap after the route is over, and a status tick falls between requests now and
        // then.
        processEventsFor(core.link().commandGap() + 120ms);
    }
    std::printf("%d routes over the virtual line at 9600 baud, 32 panels; the route's own time "
                "%.2f ms\n",
                kRoutes, routeMs);
    report("request to ACK", toAck);
    report("request to update, less the route's own time", toUpdate);
    report("same, until the last of 32 panels has it", toLast);
    std::printf("CPU idle with the tick, no panels: %.3f %% of a core\n", idleNone);
    std::printf("CPU idle with the tick, 32 panels: %.3f %% of a core (+%.3f; %.1f allowed)\n",
                idleFull, idleFull - idleNone, kAllowedIdleCpu);
    std::sort(toUpdate.begin(), toUpdate.end());
    const bool ok =
        toUpdate[toUpdate.size() / 2] <= kAllowedExtraMs && idleFull - idleNone <= kAllowedIdleCpu;
    service.stop();
    thread.run([&] { thread.line().close(); });
    return ok ? 0 : 1;
}

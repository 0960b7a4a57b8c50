// An SW-P-08 connect through the whole program: the server, the core's action path, the link
// and the virtual router line paced at 9600 baud in a thread of its own. From the request to
// the requester's connected answer, less the route's own time on the line (the frame and its
// reply on the wire; the gap after it holds back only the next frame).
#include "BenchControllers.h"
#include "BenchLine.h"
#include "core/AppCore.h"
#include "link/Framing.h"
#include "service/HeadlessService.h"

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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("corvantis.net*.info=false"));
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
        !service.listenSwp08(QStringLiteral("127.0.0.1"), 0)) {
        std::fprintf(stderr, "cannot start the service on the virtual line\n");
        return 1;
    }
    processEventsFor(1s); // the start-up status request
    const auto controller = connectController(service.swp08Server().serverPort());

    const auto frame = BuildFrame(kTypeB, 0, CmdRoute, 0, 0).size();
    // The frame and one acknowledging byte back: the route ends with its acknowledgement.
    const double routeMs = 1000.0 * kByteSeconds * double(frame + 1);
    std::vector<double> toConnected;
    constexpr int kRoutes = 40;
    for (int k = 0; k < kRoutes; ++k) {
        const auto destination = std::uint8_t(k % 16);
        const auto source = std::uint8_t((k * 7 + 1) % 16);
        const swp08::Bytes answer{0x04, 0x00, 0x00, destination, source};
        controller->messages.clear();
        const auto sent = Clock::now();
        controller->send({0x02, 0x00, 0x00, destination, source});
        if (!waitFor([&] {
                return std::find(controller->messages.begin(), controller->messages.end(),
                                 answer) != controller->messages.end();
            })) {
            std::fprintf(stderr, "connect %d got no connected answer\n", k);
            return 1;
        }
        toConnected.push_back(ms(controller->lastRead - sent) - routeMs);
        // The gap after the route is over, and a status tick falls between requests now and
        // then.
        processEventsFor(core.link().commandGap() + 120ms);
    }
    std::printf("%d connects over the virtual line at 9600 baud; the route's own time %.2f ms\n",
                kRoutes, routeMs);
    report("connect to connected, less the route's own time", toConnected);
    std::sort(toConnected.begin(), toConnected.end());
    const double median = toConnected[toConnected.size() / 2];
    std::printf("target: at most %.1f ms beyond the route's own time (median %.3f ms)\n",
                kAllowedExtraMs, median);
    service.stop();
    thread.run([&] { thread.line().close(); });
    return median <= kAllowedExtraMs ? 0 : 1;
}

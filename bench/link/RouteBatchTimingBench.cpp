// A batch of 128 routes over sixteen 8 x 8 routers, submitted as one action through the core
// (AppCore::SubmitRoutes, as a salvo or Take is) to the virtual line paced at 9600 baud in a
// thread of its own: with the default gap after every command and with none. Each route still
// waits for its acknowledgement, so the batch takes at least its wire time and the gaps between
// its routes (it ends with the last acknowledgement); what is above that is the program's.
#include "BenchLine.h"
#include "BenchPanels.h"
#include "core/AppCore.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace corvantis;
using namespace corvantis::bench;
using namespace std::chrono_literals;

namespace {

constexpr int kRouters = 16;
constexpr int kOutputs = 8;
constexpr int kRoutes = kRouters * kOutputs;
constexpr double kByteSeconds = 10.0 / 9600.0;

void describeRouters(Configuration &config)
{
    Settings &settings = config.settings;
    settings.CommPortName = "COM1";
    settings.CommType = kTypeB;
    settings.CurrentRouterType = 2;
    settings.ConfigLoaded = true;
    for (int address = 0; address < kRouters; ++address) {
        auto router = std::make_unique<clsRouter>();
        router->SetRouterType(2);
        router->SetFrameAddress(address);
        router->SetInputCount(kOutputs - 1);
        router->SetOutputCount(kOutputs - 1);
        // Logical outputs end at 126, so the last router stays unplaced; a route names the
        // router and its port and goes out all the same.
        if (address < kRouters - 1)
            router->SetMapOut(address * kOutputs);
        config.routers.set(address, std::move(router));
    }
}

// Seconds from the submission to the end of the action; negative when it did not end well.
double batchSeconds(AppCore &core, int round)
{
    QList<AppCore::RouteRequest> routes;
    for (int address = 0; address < kRouters; ++address)
        for (int output = 0; output < kOutputs; ++output)
            routes.append({address, output, (output + round + 1) % kOutputs});
    bool ended = false;
    bool done = false;
    Clock::time_point end;
    const auto start = Clock::now();
    const bool submitted =
        core.SubmitRoutes(QStringLiteral("Batch"), routes, {.bulk = true},
                          [&](const ActionQueue::Completion &completion) {
                              end = Clock::now();
                              ended = true;
                              done = completion.kind == ActionQueue::Completion::Kind::Done;
                          });
    // The default gap makes it about 30 s.
    if (!submitted || !waitFor([&] { return ended; }, 120s) || !done)
        return -1.0;
    return std::chrono::duration<double>(end - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The ports folder lives in a data folder of its own.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());

    LineThread thread;
    bool opened = false;
    thread.run([&] {
        thread.line().setCommType(kTypeB);
        for (int address = 0; address < kRouters; ++address)
            thread.line().addRouter({address, kOutputs, kOutputs, 0});
        opened = thread.line().open(QString::fromStdString(ProgramDataFolder()) + "ports/com1");
    });
    AppCore core;
    describeRouters(core.config());
    core.Rebuild();
    if (!opened || finish(core.link().OpenCommPort())) {
        std::fprintf(stderr, "cannot open the virtual line\n");
        return 1;
    }
    processEventsFor(200ms);

    const auto frame = BuildFrame(kTypeB, 0, CmdRoute, 0, 0).size();
    // The frame out and the one acknowledging byte back.
    const double wire = kByteSeconds * double(frame + 1);
    std::printf("%d routes over %d routers of %d outputs, one action, the virtual line at 9600 "
                "baud; wire time %.2f ms a route\n",
                kRoutes, kRouters, kOutputs, 1000.0 * wire);
    bool ok = true;
    int round = 0;
    for (const float gap : {Settings::kDefaultCommandGap, 0.0f}) {
        // The gap after the last command of the round before is over.
        processEventsFor(300ms);
        core.settings().CommandGap = gap;
        const quint64 framesBefore = core.link().transmissions();
        const double took = batchSeconds(core, round++);
        const quint64 frames = core.link().transmissions() - framesBefore;
        if (took < 0 || frames != quint64(kRoutes)) {
            std::fprintf(stderr, "gap %.2f s: the batch did not end well (%llu frames)\n", gap,
                         static_cast<unsigned long long>(frames));
            return 1;
        }
        const double floor = kRoutes * wire + (kRoutes - 1) * gap;
        // The default gap may cost 1 % more; without one each route may cost 1 ms more.
        const double target = gap > 0 ? floor * 1.01 : floor + kRoutes * 0.001;
        const bool met = took <= target;
        ok = ok && met;
        std::printf("gap %.2f s: measured %7.3f s, target %7.3f s (wire and gaps %7.3f s), "
                    "%.2f ms a route above them: %s\n",
                    gap, took, target, floor, 1000.0 * (took - floor) / kRoutes,
                    met ? "ok" : "TOO SLOW");
    }
    core.link().CloseCommPort();
    thread.run([&] { thread.line().close(); });
    return ok ? 0 : 1;
}

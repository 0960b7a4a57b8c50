// Route round trip against the virtual router line paced at 9600 baud, and the CPU the program
// uses while a route goes unanswered and while it idles with the 100 ms tick running. The line
// runs in a thread of its own, so the figures are the program's alone.
#include "BenchLine.h"
#include "config/ConfigFile.h"
#include "config/MacroRecording.h"
#include "link/Framing.h"
#include "link/RoutingEngine.h"
#include "link/SerialLink.h"
#include "link/StatusPoller.h"
#include "model/LogicalMatrix.h"
#include "sim/VirtualRouterLine.h"
#include "util/GeneralFunctions.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
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
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kByteSeconds = 10.0 / 9600.0;

bool openLine(LineThread &thread, int commType, bool silent, Program &program)
{
    const QString path = QString::fromStdString(ProgramDataFolder()) + "ports/com1";
    bool opened = false;
    thread.run([&] {
        auto &line = thread.line();
        line.clearRouters();
        line.setCommType(commType);
        line.setSilent(silent);
        line.addRouter({0, 16, 16, 0});
        opened = line.open(path);
    });
    if (!opened || finish(program.link.OpenCommPort()))
        return false;
    for (int i = 0; i < 200; ++i) {
        bool attached = false;
        thread.run([&] { attached = thread.line().isAttached(); });
        if (attached)
            return true;
        processEventsFor(10ms);
    }
    return false;
}

double threadCpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct CpuSample {
    double thread = 0;
    double process = 0;
    Clock::time_point at;
    static CpuSample now()
    {
        return {threadCpuSeconds(RUSAGE_THREAD), threadCpuSeconds(RUSAGE_SELF), Clock::now()};
    }
};

bool reportCpu(const char *what, const CpuSample &before, const CpuSample &after)
{
    const double wall = std::chrono::duration<double>(after.at - before.at).count();
    const double program = 100.0 * (after.thread - before.thread) / wall;
    const double process = 100.0 * (after.process - before.process) / wall;
    const bool ok = program <= 2.0;
    std::printf("%-44s wall %6.3f s  program %5.2f %% of a core  (with the line's thread "
                "%5.2f %%)  %s\n",
                what, wall, program, process, ok ? "ok" : "OVER 2 %");
    return ok;
}

bool roundTrip(int commType, bool pacing)
{
    Program program(commType, 2);
    LineThread thread;
    if (!openLine(thread, commType, false, program)) {
        std::printf("cannot open the virtual line\n");
        return false;
    }
    thread.run([&] { thread.line().setPacing(pacing); });
    const auto gap = program.link.commandGap();
    const auto frameBytes = BuildFrame(commType, 0, CmdRoute, 4, 2).size();
    // Without pacing the line answers at once: what remains is the program's own overhead.
    const double wireMs =
        pacing ? 1000.0 * kByteSeconds * static_cast<double>(frameBytes + 1) : 0.0;
    std::vector<double> excess;
    for (int i = 0; i < 30; ++i) {
        const auto start = Clock::now();
        const int result =
            finish(program.link.SendCommand(0, CmdRoute, i % 16, (i * 7) % 16, true));
        const auto took = Clock::now() - start;
        if (result != kAck) {
            std::printf("route %d not accepted (%d)\n", i, result);
            return false;
        }
        excess.push_back(std::chrono::duration<double, std::milli>(took - gap).count());
    }
    std::sort(excess.begin(), excess.end());
    const double median = excess[excess.size() / 2];
    const double worst = excess.back();
    const bool ok = worst <= wireMs + 5.0;
    std::printf("route round trip, %s, %s: SendCommand - gap: median %.2f ms, worst %.2f ms; "
                "wire time %.2f ms (+5 ms allowed)  %s\n",
                commType == kTypeA ? "Type A" : "Type B", pacing ? "9600 baud" : "unpaced", median,
                worst, wireMs, ok ? "ok" : "TOO SLOW");
    return ok;
}

// How late the event loop wakes from a 0.2 s wait: the part of any figure above that is the
// machine's, not the protocol's.
void delayOvershoot()
{
    Program program(kTypeA, 2);
    std::vector<double> late;
    for (int i = 0; i < 20; ++i) {
        const auto start = Clock::now();
        finish(program.link.Delay(200ms));
        late.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start - 200ms).count());
    }
    std::sort(late.begin(), late.end());
    std::printf("Delay(0.2) overshoot: median %.2f ms, worst %.2f ms\n", late[late.size() / 2],
                late.back());
}

bool unansweredRoute()
{
    Program program(kTypeA, 2);
    LineThread thread;
    if (!openLine(thread, kTypeA, true, program))
        return false;
    const auto before = CpuSample::now();
    const int result = finish(program.link.SendCommand(0, CmdRoute, 4, 2, true));
    const auto after = CpuSample::now();
    std::printf("unanswered route: result %d after %llu transmissions\n", result,
                static_cast<unsigned long long>(program.link.transmissions()));
    return reportCpu("CPU during an unanswered route", before, after);
}

bool idleWithTick()
{
    // The model whose online lamp is kept by the alive poll.
    Program program(kTypeB, 4);
    LineThread thread;
    if (!openLine(thread, kTypeB, false, program))
        return false;
    int onlineChanges = 0;
    QObject::connect(&program.poller, &StatusPoller::matrixOnlineChanged, &program.poller,
                     [&](bool) { ++onlineChanges; });
    program.poller.start();
    const auto before = CpuSample::now();
    processEventsFor(10s);
    const auto after = CpuSample::now();
    program.poller.stop();
    std::printf("idle with the tick: %llu frames sent (status request and alive polls), "
                "online state set %d time(s)\n",
                static_cast<unsigned long long>(program.link.transmissions()), onlineChanges);
    return reportCpu("CPU during 10 s idle with the tick running", before, after);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The ports folder lives in a data folder of its own, not the user's.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());

    delayOvershoot();
    bool ok = roundTrip(kTypeA, true);
    ok = roundTrip(kTypeB, true) && ok;
    ok = roundTrip(kTypeA, false) && ok;
    ok = unansweredRoute() && ok;
    ok = idleWithTick() && ok;
    return ok ? 0 : 1;
}

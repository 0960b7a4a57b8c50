// How soon a change of the routers' state reaches the window (AppCore::routeStatesChanged, which
// redraws the grid) and the panels (a panel-server client reading the routing update), in the
// service below the window with its status tick, on the virtual line paced at 9600 baud in a
// thread of its own. Two changes: a route's acknowledgement, with the default gap after the
// command and with none, and a router's own front-panel report. Each is timed from the moment
// its last byte is on the line. The target is one tick of the status timer.
#include "BenchLine.h"
#include "BenchPanels.h"
#include "core/AppCore.h"
#include "link/Framing.h"
#include "service/HeadlessService.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <array>
#include <atomic>
#include <cstdio>

using namespace corvantis;
using namespace corvantis::bench;
using namespace std::chrono_literals;

namespace {

constexpr double kTargetMs = 100.0;
constexpr int kChanges = 30;
constexpr int kPanels = 4;
constexpr auto kByteTime = PacedByteQueue::kByteTime;

struct Timings {
    std::vector<double> window, panel, lastPanel;
};

bool verdict(const char *what, std::vector<double> v)
{
    report(what, v);
    const double worst = *std::max_element(v.begin(), v.end());
    const bool ok = worst <= kTargetMs;
    std::printf("%-48s worst %7.3f ms, target %.0f ms: %s\n", "", worst, kTargetMs,
                ok ? "ok" : "TOO SLOW");
    return ok;
}

class Rig {
public:
    bool start(const std::string &path)
    {
        if (!openTypeBLine(m_thread) || !m_service.start(QString::fromStdString(path)) ||
            !m_service.listen(QStringLiteral("127.0.0.1"), 0))
            return false;
        QObject::connect(&core, &AppCore::routeStatesChanged, &core,
                         [this] { m_changes.push_back(Clock::now()); });
        m_thread.run([this] {
            QObject::connect(&m_thread.line(), &VirtualRouterLine::frameReceived, &m_thread.line(),
                             [this](const QByteArray &) {
                                 m_frameAt.store(Clock::now().time_since_epoch().count());
                             });
        });
        processEventsFor(1s); // the start-up status request
        // The periodic one five minutes away: a report that arrives inside a status reply is
        // another matter than the time a change takes.
        core.poller().setStatusPollCounter(0);
        for (int n = 0; n < kPanels; ++n)
            m_panels.push_back(connectPanel(m_service.server().serverPort()));
        return true;
    }
    void stop()
    {
        m_service.stop();
        m_thread.run([this] { m_thread.line().close(); });
    }

    // A route of the core, timed from its acknowledgement.
    bool route(int k, Timings &timings)
    {
        const int output = k % 16;
        const int input = nextInput(output, k);
        prepare();
        core.SubmitRoutes(QStringLiteral("Route"), {{0, output, input}}, {});
        const auto acknowledged = [this] {
            return Clock::time_point(Clock::duration(m_frameAt.load()));
        };
        return collect(output, input, acknowledged, 1, timings);
    }

    // A router's own change at its front panel, timed from its report's last byte.
    bool frontPanel(int k, Timings &timings)
    {
        const int output = k % 16;
        const int input = nextInput(output, k);
        prepare();
        Clock::time_point reported;
        m_thread.run([&] {
            reported = Clock::now();
            m_thread.line().frontPanelRoute(0, output, input);
        });
        return collect(
            output, input, [&] { return reported; }, 3, timings);
    }

    AppCore core;

private:
    // Another input than the output has, so that every change is one.
    int nextInput(int output, int k)
    {
        int &last = m_inputs[std::size_t(output)];
        last = (last + 1 + k % 3) % 16;
        return last;
    }
    void prepare()
    {
        for (auto &p : m_panels)
            p->received.clear();
        m_changes.clear();
    }

    // Timed from the last of the `bytes` bytes the line sent from `start` on: it hands each
    // byte over once its time on the wire is over.
    template <typename Start>
    bool collect(int output, int input, Start start, int bytes, Timings &timings)
    {
        const QByteArray line =
            '\n' + QByteArray::number(output) + ' ' + QByteArray::number(input) + '\n';
        const bool arrived = waitFor([&] {
            return std::all_of(m_panels.begin(), m_panels.end(),
                               [&](const auto &p) { return p->received.contains(line); });
        });
        // The action ends after the gap; the next change starts on a free line.
        if (!arrived || !waitFor([this] { return core.actions().Idle(); }))
            return false;
        const Clock::time_point began = start();
        const Clock::time_point from = began + bytes * kByteTime;
        const auto change = std::find_if(m_changes.begin(), m_changes.end(),
                                         [&](Clock::time_point t) { return t >= began; });
        if (change == m_changes.end())
            return false;
        Clock::time_point last = from;
        for (const auto &p : m_panels)
            last = std::max(last, p->lastRead);
        timings.window.push_back(ms(*change - from));
        timings.panel.push_back(ms(m_panels.front()->lastRead - from));
        timings.lastPanel.push_back(ms(last - from));
        // The next change falls anywhere in the 100 ms tick.
        processEventsFor(std::chrono::milliseconds(20 + m_random.bounded(100)));
        return true;
    }

    std::atomic<Clock::rep> m_frameAt{0};
    LineThread m_thread;
    HeadlessService m_service{core};
    std::vector<std::unique_ptr<Panel>> m_panels;
    std::vector<Clock::time_point> m_changes;
    std::array<int, 16> m_inputs{};
    QRandomGenerator m_random{7};
};

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

    Rig rig;
    if (!rig.start(path)) {
        std::fprintf(stderr, "cannot start the service on the virtual line\n");
        return 1;
    }
    std::printf("%d changes each, one 16 x 16 router at 9600 baud, %d panels\n", kChanges, kPanels);
    bool ok = true;
    for (const float gap : {Settings::kDefaultCommandGap, 0.0f}) {
        rig.core.settings().CommandGap = gap;
        Timings timings;
        for (int k = 0; k < kChanges; ++k)
            if (!rig.route(k, timings)) {
                std::fprintf(stderr, "route %d: no change arrived\n", k);
                return 1;
            }
        std::printf("a route's acknowledgement, gap %.2f s:\n", gap);
        ok = verdict("  to routeStatesChanged", timings.window) && ok;
        ok = verdict("  to the first panel", timings.panel) && ok;
        ok = verdict("  to the last panel", timings.lastPanel) && ok;
    }
    Timings timings;
    for (int k = 0; k < kChanges; ++k)
        if (!rig.frontPanel(k, timings)) {
            std::fprintf(stderr, "report %d: no change arrived\n", k);
            return 1;
        }
    std::printf("a front-panel report:\n");
    ok = verdict("  to routeStatesChanged", timings.window) && ok;
    ok = verdict("  to the first panel", timings.panel) && ok;
    ok = verdict("  to the last panel", timings.lastPanel) && ok;
    rig.stop();
    return ok ? 0 : 1;
}

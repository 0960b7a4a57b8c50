// Route round trip through ser2net on loopback (raw TCP and RFC 2217) against the same virtual
// router line on its local pseudo-terminal, in one run; and the CPU the program uses while
// connected through ser2net and idle with the tick running. The line runs in a thread of its
// own, ser2net as a child process, so the CPU figures are the program's alone.
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
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
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

constexpr double kAllowedExtraMs = 2.0;
constexpr double kAllowedIdleCpu = 1.0;
constexpr int kRoutes = 40;

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// ser2net in the foreground with a raw and a Telnet (RFC 2217) port in front of the device.
class Ser2net {
public:
    explicit Ser2net(const QString &device) : m_raw(freePort()), m_telnet(freePort())
    {
        while (m_telnet == m_raw)
            m_telnet = freePort();
        QString program = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
        if (program.isEmpty())
            program = QStandardPaths::findExecutable(QStringLiteral("ser2net"),
                                                     {QStringLiteral("/usr/sbin")});
        if (program.isEmpty())
            return;
        const QString config = m_dir.filePath(QStringLiteral("ser2net.yaml"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        for (const auto &[accepter, port] :
             {std::pair{QStringLiteral("tcp"), m_raw},
              std::pair{QStringLiteral("telnet(rfc2217),tcp"), m_telnet}})
            file.write(QStringLiteral("connection: &p%1\n"
                                      "  accepter: %2,127.0.0.1,%1\n"
                                      "  connector: serialdev,%3,9600n81,local\n"
                                      "  options:\n"
                                      "    kickolduser: true\n"
                                      "    chardelay: false\n\n")
                           .arg(port)
                           .arg(accepter, device)
                           .toUtf8());
        file.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program,
                        {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-c"), config,
                         QStringLiteral("-P"), m_dir.filePath(QStringLiteral("pid"))});
        if (!m_process.waitForStarted(5000))
            return;
        for (int i = 0; i < 500 && !m_up; ++i) {
            // Someone (ser2net) listens when the port cannot be bound.
            m_up = !QTcpServer().listen(QHostAddress::LocalHost, m_telnet);
            if (!m_up)
                processEventsFor(10ms);
        }
    }
    ~Ser2net()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool isUp() const { return m_up; }
    QByteArray output() { return m_process.readAll(); }
    QString raw() const { return QStringLiteral("socket://127.0.0.1:%1").arg(m_raw); }
    QString telnet() const { return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_telnet); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_raw;
    quint16 m_telnet;
    bool m_up = false;
};

void disconnect(Program &program, LineThread &thread)
{
    program.link.CloseCommPort();
    // The server lets the device go a moment later; until then it refuses the next client.
    for (int i = 0; i < 200; ++i) {
        bool attached = true;
        thread.run([&] { attached = thread.line().isAttached(); });
        if (!attached)
            return;
        processEventsFor(10ms);
    }
}

bool connect(Program &program, LineThread &thread, const QString &address)
{
    program.link.setPortOverride(address);
    if (finish(program.link.OpenCommPort()))
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

// Median time of a Type A route at 9600 baud, the gap after it left out; negative on failure.
double routeMedianMs(Program &program)
{
    std::vector<double> times;
    const auto gap = program.link.commandGap();
    for (int i = 0; i < kRoutes; ++i) {
        const auto start = Clock::now();
        if (finish(program.link.SendCommand(0, CmdRoute, i % 16, (i * 7) % 16, true)) != kAck)
            return -1.0;
        times.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start - gap).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double threadCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool idleWithTick(LineThread &thread, const QString &address, const char *name)
{
    // The model whose online lamp is kept by the alive poll.
    Program program(kTypeB, 4);
    thread.run([&] { thread.line().setCommType(kTypeB); });
    if (!connect(program, thread, address)) {
        std::printf("%s: cannot connect\n", name);
        return false;
    }
    program.poller.start();
    const double cpuBefore = threadCpuSeconds();
    const auto before = Clock::now();
    processEventsFor(10s);
    const double cpu = threadCpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(Clock::now() - before).count();
    program.poller.stop();
    const double percent = 100.0 * cpu / wall;
    const bool ok = percent <= kAllowedIdleCpu && program.link.isOpen();
    std::printf("idle with the tick, %-8s: %llu frames in %.1f s, program %.2f %% of a core  %s\n",
                name, static_cast<unsigned long long>(program.link.transmissions()), wall, percent,
                ok ? "ok" : "OVER 1 %");
    disconnect(program, thread);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());

    LineThread thread;
    bool opened = false;
    QString device;
    thread.run([&] {
        auto &line = thread.line();
        line.setCommType(kTypeA);
        line.addRouter({0, 16, 16, 0});
        opened = line.open(QString::fromStdString(ProgramDataFolder()) + "ports/com1");
        device = line.devicePath();
    });
    Ser2net server(device);
    if (!opened || !server.isUp()) {
        std::printf("cannot start the virtual line or ser2net (is ser2net installed?) %s\n",
                    server.output().constData());
        return 1;
    }

    Program program(kTypeA, 2);
    struct Way {
        const char *name;
        QString address;
        double median = -1.0;
    };
    std::vector<Way> ways = {{"local", QStringLiteral("COM1")},
                             {"raw TCP", server.raw()},
                             {"RFC 2217", server.telnet()}};
    // Twice round, so each way runs both early and late in the run.
    std::vector<std::vector<double>> medians(ways.size());
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < ways.size(); ++i) {
            if (!connect(program, thread, ways[i].address)) {
                std::printf("%s: cannot connect\n", ways[i].name);
                return 1;
            }
            const double median = routeMedianMs(program);
            disconnect(program, thread);
            if (median < 0) {
                std::printf("%s: a route was not accepted\n", ways[i].name);
                return 1;
            }
            medians[i].push_back(median);
        }
    }
    bool ok = true;
    for (std::size_t i = 0; i < ways.size(); ++i)
        ways[i].median = *std::min_element(medians[i].begin(), medians[i].end());
    for (const Way &way : ways) {
        const double extra = way.median - ways[0].median;
        const bool within = extra <= kAllowedExtraMs;
        ok = ok && within;
        std::printf("route round trip, Type A, 9600 baud, %-8s: median %.2f ms (%+.2f ms against "
                    "local, %.0f allowed)  %s\n",
                    way.name, way.median, extra, kAllowedExtraMs, within ? "ok" : "TOO SLOW");
    }
    ok = idleWithTick(thread, server.raw(), "raw TCP") && ok;
    ok = idleWithTick(thread, server.telnet(), "RFC 2217") && ok;
    return ok ? 0 : 1;
}

// Panel requests while routes wait for the line, over the whole program and the virtual line
// paced at 9600 baud in a thread of its own. Sixteen route blocks in one write: from the write
// to each ACK, in the service below the window. Then the real program without a window,
// stopped by SIGTERM with 40 routes queued: from the signal to the end of the process.
#include "BenchLine.h"
#include "BenchPanels.h"
#include "core/AppCore.h"
#include "link/Framing.h"
#include "net/BlockReader.h"
#include "service/HeadlessService.h"
#include "util/GeneralFunctions.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>

using namespace corvantis;
using namespace corvantis::bench;
using namespace std::chrono_literals;

namespace {

constexpr double kAckTargetMs = 5.0;
constexpr double kExitTargetMs = 2000.0;
constexpr int kBlocks = 16;
constexpr int kBurstRounds = 8;
constexpr int kQueuedRoutes = 40;
constexpr int kExitRuns = 5;

// A panel that notes when each ACK arrived, and counts NAKs.
struct AckPanel {
    AckPanel()
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [this] {
            const auto now = Clock::now();
            QList<PanelBlock> blocks;
            reader.feed(socket.readAll(), blocks);
            for (const PanelBlock &block : std::as_const(blocks)) {
                if (block.header == PanelBlock::kAck)
                    acks.push_back(now);
                else if (block.header == PanelBlock::kNak)
                    ++naks;
                else if (block.header == PanelBlock::kEndPrelude)
                    prelude = true;
            }
        });
    }
    // Until the server answers with its prelude; bounded.
    bool open(quint16 port)
    {
        for (int attempt = 0; attempt < 100 && !prelude; ++attempt) {
            socket.connectToHost(QHostAddress::LocalHost, port);
            waitFor(
                [this] { return prelude || socket.state() == QAbstractSocket::UnconnectedState; });
            if (!prelude)
                processEventsFor(50ms);
        }
        return prelude;
    }

    QTcpSocket socket;
    BlockReader reader;
    std::vector<Clock::time_point> acks;
    int naks = 0;
    bool prelude = false;
};

QByteArray routeBlocks(int count, int round)
{
    QByteArray bytes;
    for (int b = 0; b < count; ++b)
        bytes += "VIDEO OUTPUT ROUTING:\n" + QByteArray::number(b % 16) + ' ' +
                 QByteArray::number((b + round + 1) % 16) + "\n\n";
    return bytes;
}

bool verdict(const char *what, double worstMs, double targetMs)
{
    const bool ok = worstMs <= targetMs;
    std::printf("%-48s worst %8.3f ms, target %.0f ms: %s\n", what, worstMs, targetMs,
                ok ? "ok" : "TOO SLOW");
    return ok;
}

// Sixteen blocks in one write, the line free at the start of each round.
bool acksWhileQueued(const std::string &configPath)
{
    AppCore core;
    HeadlessService service(core);
    if (!service.start(QString::fromStdString(configPath)) ||
        !service.listen(QStringLiteral("127.0.0.1"), 0)) {
        std::fprintf(stderr, "cannot start the service on the virtual line\n");
        return false;
    }
    processEventsFor(1s); // the start-up status request
    AckPanel panel;
    if (!panel.open(service.server().serverPort())) {
        std::fprintf(stderr, "no prelude\n");
        return false;
    }
    std::vector<double> toAck;
    for (int round = 0; round < kBurstRounds; ++round) {
        panel.acks.clear();
        const auto sent = Clock::now();
        panel.socket.write(routeBlocks(kBlocks, round));
        if (!waitFor([&] { return int(panel.acks.size()) + panel.naks == kBlocks; }) ||
            panel.naks > 0) {
            std::fprintf(stderr, "round %d: %zu ACKs, %d NAKs\n", round, panel.acks.size(),
                         panel.naks);
            return false;
        }
        for (const auto acked : panel.acks)
            toAck.push_back(ms(acked - sent));
        // Sixteen routes at 9600 baud with their pauses: about four seconds.
        if (!waitFor([&] { return core.actions().Idle() && !core.link().CommBusy(); }, 20s)) {
            std::fprintf(stderr, "round %d: the routes did not end\n", round);
            return false;
        }
    }
    service.stop();
    std::printf("%d rounds of %d route blocks in one write, the virtual line at 9600 baud\n",
                kBurstRounds, kBlocks);
    report("write to each ACK", toAck);
    return verdict("write to each ACK", *std::max_element(toAck.begin(), toAck.end()),
                   kAckTargetMs);
}

// The real program, stopped while one route is on the wire and the rest wait.
bool exitWhileQueued(const QString &dataPath, const std::string &configPath)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataPath);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dataPath);
    std::vector<double> toExit;
    for (int run = 0; run < kExitRuns; ++run) {
        quint16 port = 0;
        {
            QTcpServer probe;
            if (probe.listen(QHostAddress::LocalHost, 0))
                port = probe.serverPort();
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(CORVANTIS_PROGRAM),
                      {QStringLiteral("--headless"), QStringLiteral("--config"),
                       QString::fromStdString(configPath), QStringLiteral("--listen"),
                       QStringLiteral("127.0.0.1:%1").arg(port)});
        AckPanel panel;
        if (!program.waitForStarted() || !panel.open(port)) {
            std::fprintf(stderr, "run %d: the program did not serve panels\n%s", run,
                         program.readAllStandardError().constData());
            return false;
        }
        panel.socket.write(routeBlocks(kQueuedRoutes, run));
        if (!waitFor([&] { return int(panel.acks.size()) == kQueuedRoutes; })) {
            std::fprintf(stderr, "run %d: %zu ACKs\n", run, panel.acks.size());
            return false;
        }
        const auto signalled = Clock::now();
        ::kill(program.processId(), SIGTERM);
        const bool ended = program.waitForFinished(15000);
        const auto exited = Clock::now();
        if (!ended || program.exitStatus() != QProcess::NormalExit || program.exitCode() != 0) {
            std::fprintf(stderr, "run %d: no clean exit\n%s", run,
                         program.readAllStandardError().constData());
            return false;
        }
        toExit.push_back(ms(exited - signalled));
    }
    std::printf("%d runs of the program without a window, %d routes queued\n", kExitRuns,
                kQueuedRoutes);
    report("SIGTERM to exit", toExit);
    return verdict("SIGTERM to exit", *std::max_element(toExit.begin(), toExit.end()),
                   kExitTargetMs);
}

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
    if (!opened) {
        std::fprintf(stderr, "cannot open the virtual line\n");
        return 1;
    }
    bool ok = acksWhileQueued(path);
    ok = exitWhileQueued(data.path(), path) && ok;
    thread.run([&] { thread.line().close(); });
    return ok ? 0 : 1;
}

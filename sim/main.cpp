#include "sim/SignalWatcher.h"
#include "sim/SimConsole.h"
#include "sim/VirtualRouterLine.h"
#include "util/GeneralFunctions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTextStream>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

using namespace corvantis;

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

QString describeRouters(const VirtualRouterLine &line)
{
    QStringList parts;
    for (const auto &router : line.routers())
        parts.append(QStringLiteral("frame %1 %2x%3")
                         .arg(router.frameAddress)
                         .arg(router.inputs)
                         .arg(router.outputs));
    return QStringLiteral("Type %1, %2 router(s): %3")
        .arg(line.commType() == 0 ? QStringLiteral("A") : QStringLiteral("B"))
        .arg(parts.size())
        .arg(parts.join(QStringLiteral(", ")));
}

// Reads the operator's commands from standard input, one line each.
void watchConsole(QCoreApplication &app, SimConsole &console)
{
    auto *notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
    auto pending = std::make_shared<QByteArray>();
    QObject::connect(notifier, &QSocketNotifier::activated, &app,
                     [&app, &console, notifier, pending] {
                         char buffer[512];
                         const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
                         if (n <= 0) {
                             // Without a console (input from /dev/null) the line keeps running
                             // until signalled.
                             notifier->setEnabled(false);
                             return;
                         }
                         pending->append(buffer, n);
                         qsizetype end = 0;
                         while ((end = pending->indexOf('\n')) >= 0) {
                             const QString line = QString::fromLocal8Bit(pending->left(end));
                             pending->remove(0, end + 1);
                             const QString answer = console.execute(line);
                             if (!answer.isEmpty())
                                 out() << answer << Qt::endl;
                             if (console.quitRequested()) {
                                 app.quit();
                                 return;
                             }
                         }
                     });
}

} // namespace

int main(int argc, char *argv[])
{
    // Before Qt starts any thread, so the signals reach only the watcher.
    const QList<int> endSignals{SIGINT, SIGTERM, SIGHUP};
    SignalWatcher::blockForWatching(endSignals);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvantis-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "A virtual line of matrix switchers (routers) behind a pseudo-terminal, for running\n"
            "Corvantis without hardware. The program opens the device (or the link to it) as its\n"
            "serial port; the routers answer its frames, keep their crosspoints and, on command\n"
            "from this console, report front-panel routes.\n\n") +
        SimConsole::helpText());
    parser.addHelpOption();
    const QCommandLineOption configOption(
        QStringLiteral("config"),
        QStringLiteral("Routers and framing from a configuration file (.rcf). Without it: one "
                       "16x16 router at frame address 0, Type B."),
        QStringLiteral("file"));
    const QCommandLineOption linkOption(
        QStringLiteral("link"),
        QStringLiteral("Where to put the link to the device (default: ports/com1 in the "
                       "program's data folder, where Corvantis looks for COM1)."),
        QStringLiteral("path"));
    const QCommandLineOption listenOption(
        QStringLiteral("listen"),
        QStringLiteral("Listen on TCP (raw, one program at a time) instead of a pseudo-terminal; "
                       "with --link on both. HOST is an IPv4 address or an IPv6 address in "
                       "brackets; PORT 0 picks a free port."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption noPacingOption(
        QStringLiteral("no-pacing"), QStringLiteral("Answer at once instead of at 9600 baud."));
    const QCommandLineOption dropOption(QStringLiteral("drop"),
                                        QStringLiteral("Drop this share of replies (0 to 100)."),
                                        QStringLiteral("percent"));
    const QCommandLineOption lateOption(QStringLiteral("late"),
                                        QStringLiteral("Hold every reply back this long."),
                                        QStringLiteral("ms"));
    const QCommandLineOption noiseOption(QStringLiteral("noise"),
                                         QStringLiteral("Glitch bytes while the line is quiet."));
    const QCommandLineOption silentOption(QStringLiteral("silent"),
                                          QStringLiteral("Answer nothing."));
    parser.addOptions({configOption, linkOption, listenOption, noPacingOption, dropOption,
                       lateOption, noiseOption, silentOption});
    parser.process(app);

    VirtualRouterLine line;
    if (parser.isSet(configOption)) {
        QString error;
        if (!line.loadConfiguration(parser.value(configOption), &error)) {
            err() << "Cannot use " << parser.value(configOption) << ": " << error << Qt::endl;
            return 1;
        }
        if (!error.isEmpty())
            err() << "Reading " << parser.value(configOption) << ":\n" << error << Qt::endl;
    } else {
        line.setCommType(1);
        line.addRouter({0, 16, 16});
    }
    bool ok = true;
    if (parser.isSet(dropOption)) {
        const int percent = parser.value(dropOption).toInt(&ok);
        if (!ok || percent < 0 || percent > 100) {
            err() << "--drop takes a percentage from 0 to 100." << Qt::endl;
            return 1;
        }
        line.setDropPercent(percent);
    }
    if (parser.isSet(lateOption)) {
        const int ms = parser.value(lateOption).toInt(&ok);
        if (!ok || ms < 0) {
            err() << "--late takes milliseconds, 0 or more." << Qt::endl;
            return 1;
        }
        line.setLateMs(ms);
    }
    line.setPacing(!parser.isSet(noPacingOption));
    line.setNoise(parser.isSet(noiseOption));
    line.setSilent(parser.isSet(silentOption));

    if (!parser.isSet(listenOption) || parser.isSet(linkOption)) {
        const QString link =
            parser.isSet(linkOption)
                ? parser.value(linkOption)
                : QString::fromStdString(ProgramDataFolder()) + QStringLiteral("ports/com1");
        if (!line.open(link)) {
            err() << "Cannot open the virtual line: " << line.errorString() << Qt::endl;
            return 1;
        }
        out() << "Virtual router line on " << line.devicePath() << ", linked as " << line.linkPath()
              << Qt::endl;
    }
    if (parser.isSet(listenOption)) {
        const QString text = parser.value(listenOption);
        const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
        QString host = text.left(std::max<qsizetype>(colon, 0));
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
        bool portOk = false;
        const uint port = text.mid(colon + 1).toUInt(&portOk);
        const QHostAddress address(host);
        if (colon < 0 || address.isNull() || !portOk || port > 65535) {
            err() << "--listen takes HOST:PORT (such as 127.0.0.1:7000 or [::1]:7000), not \""
                  << text << "\"." << Qt::endl;
            return 1;
        }
        if (!line.listen(address, static_cast<quint16>(port))) {
            err() << "Cannot listen on " << text << ": " << line.errorString() << Qt::endl;
            return 1;
        }
        out() << "Virtual router line listening on TCP port " << line.listenPort() << " of "
              << address.toString() << Qt::endl;
    }
    out() << describeRouters(line) << Qt::endl << "Type help for commands." << Qt::endl;

    SignalWatcher signalWatcher(endSignals);
    QObject::connect(&signalWatcher, &SignalWatcher::signalled, &app, [&app](int) { app.quit(); });

    SimConsole console(line);
    watchConsole(app, console);

    const int result = app.exec();
    line.close();
    return result;
}

// The web panel over the real core and the virtual line, for a real browser: prints
// "ready PORT" once it serves, then takes commands on standard input, one a line:
//   silent FRAME on|off   a router stops (or starts again) answering
//   slow on|off           the routers answer only a command sent again (a slow router)
//   lock OUTPUT           the window locks an output (0-based)
//   restart OUTPUT INPUT  the server stops, the window routes meanwhile, the server comes back
//   time-route OUTPUT INPUT
//                         routes as the window does and says how long it took ("done ... MS")
//   quit
// --config FILE takes the routers and names from a configuration file, --routers N (16 x 16
// each) builds N routers side by side; --pacing paces the line at 9600 baud; --salvo adds
// "Evening news" (every output of each router to the next input); --debug-log FILE keeps the
// core's trace there.
#include "../link/CoreRig.h"
#include "../link/LinkRig.h"
#include "util/clsDebug.h"
#include "web/PinHash.h"
#include "web/WebServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

using namespace corvantis;
using namespace corvantis::test;

namespace {

void say(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

void storeSalvo(CoreRig &rig)
{
    Salvos::Salvo salvo{QStringLiteral("Evening news"), {}};
    for (const int frame : rig.core.configuredRouters()) {
        const clsRouter &router = *rig.core.config().routers.at(frame);
        for (int output = 0; output <= router.OutputCount(); ++output)
            salvo.routes.append({frame, output, (output + 1) % (router.InputCount() + 1), 3});
    }
    rig.storeSalvos(Salvos::format({salvo}));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption configOption("config", "Routers and names.", "FILE");
    const QCommandLineOption routersOption("routers", "16 x 16 routers side by side.", "N", "1");
    const QCommandLineOption pacingOption("pacing", "9600 baud.");
    const QCommandLineOption salvoOption("salvo", "A salvo over every output.");
    const QCommandLineOption pinOption("pin", "The routing PIN.", "PIN", "4711");
    const QCommandLineOption logOption("debug-log", "The core's trace.", "FILE");
    parser.addOptions(
        {configOption, routersOption, pacingOption, salvoOption, pinOption, logOption});
    parser.process(app);

    CoreRig rig({}, false);
    AppCore &core = rig.core;
    if (parser.isSet(configOption)) {
        std::string path = parser.value(configOption).toStdString();
        ConfigLoad(path, false, core.config());
        QString error;
        if (!rig.line.loadConfiguration(parser.value(configOption), &error)) {
            say("cannot load: " + error);
            return 1;
        }
    } else {
        for (int frame = 0; frame < parser.value(routersOption).toInt(); ++frame) {
            core.config().routers.set(
                frame, makeRouter({frame, 2, 16, 16, frame * 16, false, frame * 16}));
            rig.line.addRouter({frame, 16, 16, frame * 16});
        }
    }
    // The model with the alive poll, so a silent router is noticed without a route.
    core.settings().CurrentRouterType = 4;
    core.settings().RouterTimeout = 0.2f;
    core.settings().CommPortName = "COM1";
    rig.line.setPacing(parser.isSet(pacingOption));
    core.Rebuild();
    if (parser.isSet(salvoOption))
        storeSalvo(rig);
    if (parser.isSet(logOption)) {
        DebugLog().SetDBFile(parser.value(logOption).toStdString(), true, true);
        DebugLog().SetEnable(true);
    }
    core.OpenCommPort();
    core.poller().start();
    core.SendStartupRequestWhenFree();

    WebServer server(core);
    server.setAccess({PinHash::make(parser.value(pinOption)), true});
    // A port that stays free while the server is stopped for "restart".
    if (!rig.opened || !server.listen(QHostAddress(QHostAddress::LocalHost), freeLoopbackPort())) {
        say("cannot serve: " + server.errorString());
        return 1;
    }
    const quint16 port = server.serverPort();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QTextStream commands(stdin);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        const QStringList words = commands.readLine().split(' ', Qt::SkipEmptyParts);
        const QString verb = words.value(0);
        if (verb == "silent" && words.size() == 3) {
            rig.line.setRouterSilent(words[1].toInt(), words[2] == "on");
        } else if (verb == "slow" && words.size() == 2) {
            rig.line.setAnswerOnResendOnly(words[1] == "on");
        } else if (verb == "lock" && words.size() == 2) {
            core.LockOutput(words[1].toInt());
        } else if (verb == "restart" && words.size() == 3) {
            server.close();
            const PhysicalCrosspoint c = core.LogicalCrosspoint(words[1].toInt(), words[2].toInt());
            core.SubmitRoutes(QStringLiteral("Window route"),
                              {{c.router ? c.router->FrameAddress() : -1, c.output, c.input, 3}},
                              {});
            rig.settle();
            if (!server.listen(QHostAddress(QHostAddress::LocalHost), port)) {
                say("cannot serve again: " + server.errorString());
                return;
            }
        } else if (verb == "time-route" && words.size() == 3) {
            const PhysicalCrosspoint c = core.LogicalCrosspoint(words[1].toInt(), words[2].toInt());
            QElapsedTimer clock;
            clock.start();
            bool ended = false;
            core.SubmitRoutes(QStringLiteral("Window route"),
                              {{c.router ? c.router->FrameAddress() : -1, c.output, c.input, 3}},
                              {}, [&ended](const ActionQueue::Completion &) { ended = true; });
            waitFor([&] { return ended; });
            say(QStringLiteral("done time-route %1").arg(clock.nsecsElapsed() / 1e6, 0, 'f', 1));
            return;
        } else if (verb == "quit" || commands.atEnd()) {
            QCoreApplication::quit();
            return;
        } else {
            say("unknown command: " + words.join(' '));
            return;
        }
        say("done " + verb);
    });
    say(QStringLiteral("ready %1").arg(port));
    return QCoreApplication::exec();
}

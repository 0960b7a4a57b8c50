#include "core/AppCore.h"
#include "link/PortAddress.h"
#include "service/HeadlessService.h"
#include "service/PanelListening.h"
#include "service/WebListening.h"
#include "sim/SignalWatcher.h"
#include "ui/QtPlatform.h"
#include "ui/Theme.h"
#include "ui/frmMainMatrix.h"
#include "util/Platform.h"
#include "util/Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <csignal>
#include <cstdio>

using namespace corvantis;

namespace {

struct Options {
    QString port;
    QString config;
    QString listen;
    QString listenHost;
    quint16 listenPort = 0;
    QString swp08Host; // empty: not served
    quint16 swp08Port = 0;
    // Empty address: the web panel as the window last chose it, off for the service.
    WebListening::Choice web;
    bool webGiven = false;
    bool setWebPin = false;
    bool headless = false;
};

// Exits with 2 and a message for options that cannot work.
std::optional<Options> parseOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Controls audio/video matrix routers on one RS-232 line."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("The line for this run instead of the configured port: COMn, a device "
                       "path, socket://HOST:PORT or rfc2217://HOST:PORT."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption configOption(
        QStringLiteral("config"),
        QStringLiteral("Start with this configuration file instead of asking."),
        QStringLiteral("FILE"));
    const QCommandLineOption listenOption(
        QStringLiteral("listen"),
        QStringLiteral("Serve network control panels on this address (the protocol has no "
                       "authentication; default 127.0.0.1:9990 when headless)."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption headlessOption(
        QStringLiteral("headless"),
        QStringLiteral("Run without a window as a service; needs --config. Messages go to "
                       "standard error and the debug log."));
    const QCommandLineOption swp08Option(
        QStringLiteral("listen-swp08"),
        QStringLiteral("Serve SW-P-08 router controllers on this address (no authentication "
                       "either; off unless given, port 8910 is usual)."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption webOption(
        QStringLiteral("listen-web"),
        QStringLiteral("Serve the web panel on this address (off unless given; 127.0.0.1:8080 "
                       "keeps it on this computer). Routing needs the PIN."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption webCertOption(
        QStringLiteral("web-cert"),
        QStringLiteral("The web panel speaks HTTPS with this PEM certificate (with --web-key)."),
        QStringLiteral("FILE"));
    const QCommandLineOption webKeyOption(QStringLiteral("web-key"),
                                          QStringLiteral("The PEM private key for --web-cert."),
                                          QStringLiteral("FILE"));
    const QCommandLineOption webPrivateOption(
        QStringLiteral("web-private"),
        QStringLiteral("The web panel shows nothing until the PIN is given."));
    const QCommandLineOption setWebPinOption(
        QStringLiteral("set-web-pin"),
        QStringLiteral("Reads the web panel's routing PIN from standard input, keeps its hash in "
                       "the user's settings and exits; an empty line removes the PIN."));
    parser.addOptions({portOption, configOption, listenOption, swp08Option, webOption,
                       webCertOption, webKeyOption, webPrivateOption, setWebPinOption,
                       headlessOption});
    parser.process(app);

    Options options;
    options.port = parser.value(portOption);
    options.config = parser.value(configOption);
    options.headless = parser.isSet(headlessOption);
    if (parser.isSet(portOption)) {
        QString refused;
        // Only the form is checked here; where COMn leads is looked up when it opens.
        if (!PortAddress::Parse(options.port, std::string(), &refused)) {
            std::fprintf(stderr, "--port: %s\n", qPrintable(refused));
            return std::nullopt;
        }
    }
    const QString listen =
        parser.isSet(listenOption)
            ? parser.value(listenOption)
            : (options.headless ? QStringLiteral("127.0.0.1:%1").arg(PanelServer::kDefaultPort)
                                : QString());
    options.listen = listen;
    if (!listen.isEmpty() &&
        !PanelListening::parseAddress(listen, options.listenHost, options.listenPort)) {
        std::fprintf(stderr, "--listen: \"%s\" is not HOST:PORT\n", qPrintable(listen));
        return std::nullopt;
    }
    if (parser.isSet(swp08Option) &&
        !PanelListening::parseAddress(parser.value(swp08Option), options.swp08Host,
                                      options.swp08Port)) {
        std::fprintf(stderr, "--listen-swp08: \"%s\" is not HOST:PORT\n",
                     qPrintable(parser.value(swp08Option)));
        return std::nullopt;
    }
    options.webGiven = parser.isSet(webOption);
    options.setWebPin = parser.isSet(setWebPinOption);
    if (options.webGiven) {
        options.web = {true, parser.value(webOption), parser.value(webCertOption),
                       parser.value(webKeyOption), !parser.isSet(webPrivateOption)};
        QString host;
        quint16 port = 0;
        if (!PanelListening::parseAddress(options.web.address, host, port)) {
            std::fprintf(stderr, "--listen-web: \"%s\" is not HOST:PORT\n",
                         qPrintable(options.web.address));
            return std::nullopt;
        }
    }
    if (options.headless && options.config.isEmpty()) {
        std::fprintf(stderr, "--headless needs --config FILE\n");
        return std::nullopt;
    }
    return options;
}

void setVersion()
{
    QCoreApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
    // The user's settings file: ~/.config/Corvantis/Corvantis.conf.
    QCoreApplication::setOrganizationName(QString::fromLatin1(kProgramTitle));
    QCoreApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
}

// The PIN is read from standard input, so it appears in no process list or shell history.
int setWebPin()
{
    QTextStream input(stdin);
    const QString pin = input.readLine();
    if (const QString why = WebListening::storePin(pin); !why.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    std::printf(pin.isEmpty() ? "The web panel's PIN was removed: nobody routes from a page\n"
                              : "The web panel's PIN was kept (as a hash)\n");
    return 0;
}

int runHeadless(int argc, char *argv[])
{
    // Blocked before any thread starts, so the watcher alone sees them.
    SignalWatcher::blockForWatching({SIGTERM, SIGINT});
    QCoreApplication app(argc, argv);
    setVersion();
    const auto options = parseOptions(app);
    if (!options)
        return 2;
    if (options->setWebPin)
        return setWebPin();
    AppCore core;
    core.link().setPortOverride(options->port);
    HeadlessService service(core);
    if (!service.start(options->config) ||
        !service.listen(options->listenHost, options->listenPort) ||
        (!options->swp08Host.isEmpty() &&
         !service.listenSwp08(options->swp08Host, options->swp08Port)) ||
        (options->webGiven && !service.listenWeb(options->web)))
        return 1;
    SignalWatcher watcher({SIGTERM, SIGINT});
    QObject::connect(&watcher, &SignalWatcher::signalled, &app, [] { QCoreApplication::quit(); });
    const int status = QCoreApplication::exec();
    service.stop();
    return status;
}

int runWindow(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setVersion();
    const auto options = parseOptions(app);
    if (!options)
        return 2;
    Theme::apply(app);

    QtPlatform qtPlatform;
    setPlatform(&qtPlatform);
    int status = 0;
    {
        AppCore core;
        core.link().setPortOverride(options->port);
        frmMainMatrix window(core);
        if (options->config.isEmpty())
            window.Form_Load();
        else
            window.LoadAtStart(options->config.toStdString());
        // Panels are served from the window only when asked for: --listen for this run, or
        // the operator's choice in the window.
        HeadlessService panels(core);
        PanelListening listening(panels.server());
        if (!options->listen.isEmpty()) {
            if (const QString why = listening.apply({true, options->listen}, false);
                !why.isEmpty()) {
                std::fprintf(stderr, "%s\n", qPrintable(why));
                return 1;
            }
        } else if (const auto choice = PanelListening::stored(); choice.enabled) {
            if (const QString why = listening.apply(choice, false); !why.isEmpty())
                platform().messageBox(why.toStdString(), "Control Panels", MessageButtons::Ok,
                                      MessageIcon::Information);
        }
        if (!options->swp08Host.isEmpty() &&
            !panels.listenSwp08(options->swp08Host, options->swp08Port))
            return 1;
        // The web panel likewise: --listen-web for this run, or the operator's choice.
        if (options->webGiven) {
            if (!panels.listenWeb(options->web))
                return 1;
        } else if (const auto choice = WebListening::stored(); choice.enabled) {
            if (const QString why = panels.webListening().apply(choice, false); !why.isEmpty())
                platform().messageBox(why.toStdString(), "Web Panel", MessageButtons::Ok,
                                      MessageIcon::Information);
        }
        window.setPanelListening(&listening, &panels.webListening());
        window.show();
        status = QApplication::exec();
    }
    setPlatform(nullptr);
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    // The window needs a display; the service, --help and --version must not.
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--headless" || arg == "--help" || arg == "-h" || arg == "--help-all" ||
            arg == "--version" || arg == "-v" || arg == "--set-web-pin")
            return runHeadless(argc, argv);
    }
    return runWindow(argc, argv);
}

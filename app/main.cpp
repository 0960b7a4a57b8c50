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
#include <utility>

using namespace corvantis;

namespace {

struct Options {
    QString port;
    QString config;
    // Where a server is to listen; address empty: not asked for on the command line.
    struct Listen {
        QString address;
        QString host;
        quint16 port = 0;
    };
    Listen text;
    Listen swp08;
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
    const QCommandLineOption textOption(
        {QStringLiteral("listen-text"), QStringLiteral("listen")},
        QStringLiteral("Serve text panels on this address (no authentication; port 9990 is "
                       "usual; when headless, 127.0.0.1:9990 unless given)."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption headlessOption(
        QStringLiteral("headless"),
        QStringLiteral("Run without a window as a service; needs --config. Messages go to "
                       "standard error and the debug log."));
    const QCommandLineOption swp08Option(
        QStringLiteral("listen-swp08"),
        QStringLiteral("Serve SW-P-08 controllers on this address (no authentication; port "
                       "8910 is usual; when headless, off unless given)."),
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
    parser.addOptions({portOption, configOption, textOption, swp08Option, webOption, webCertOption,
                       webKeyOption, webPrivateOption, setWebPinOption, headlessOption});
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
    options.text.address = parser.value(textOption);
    if (options.text.address.isEmpty() && options.headless)
        options.text.address = QStringLiteral("127.0.0.1:%1").arg(PanelServer::kDefaultPort);
    options.swp08.address = parser.value(swp08Option);
    const std::pair<const QCommandLineOption &, Options::Listen &> asked[] = {
        {textOption, options.text}, {swp08Option, options.swp08}};
    for (const auto &[option, listen] : asked) {
        if (!listen.address.isEmpty() &&
            !PanelListening::parseAddress(listen.address, listen.host, listen.port)) {
            std::fprintf(stderr, "--%s: \"%s\" is not HOST:PORT\n",
                         qPrintable(option.names().constFirst()), qPrintable(listen.address));
            return std::nullopt;
        }
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
    const Options::Listen &text = options->text;
    const Options::Listen &swp08 = options->swp08;
    if (!service.start(options->config) ||
        (!text.address.isEmpty() && !service.listen(text.host, text.port)) ||
        (!swp08.address.isEmpty() && !service.listenSwp08(swp08.host, swp08.port)) ||
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
        // Each server runs from the window only when asked for: its option for this run, or
        // the operator's choice in the window.
        HeadlessService servers(core);
        PanelListening text(servers.server(), PanelListening::kTextPanels);
        PanelListening swp08(servers.swp08Server(), PanelListening::kSwp08Controllers);
        const std::pair<PanelListening &, QString> asked[] = {{text, options->text.address},
                                                              {swp08, options->swp08.address}};
        for (const auto &[listening, address] : asked) {
            if (!address.isEmpty()) {
                if (const QString why = listening.apply({true, address}, false); !why.isEmpty()) {
                    std::fprintf(stderr, "%s\n", qPrintable(why));
                    return 1;
                }
            } else if (const auto choice = listening.stored(); choice.enabled) {
                if (const QString why = listening.apply(choice, false); !why.isEmpty())
                    platform().messageBox(why.toStdString(), "Control Panels", MessageButtons::Ok,
                                          MessageIcon::Information);
            }
        }
        // The web panel likewise: --listen-web for this run, or the operator's choice.
        if (options->webGiven) {
            if (!servers.listenWeb(options->web))
                return 1;
        } else if (const auto choice = WebListening::stored(); choice.enabled) {
            if (const QString why = servers.webListening().apply(choice, false); !why.isEmpty())
                platform().messageBox(why.toStdString(), "Web Panel", MessageButtons::Ok,
                                      MessageIcon::Information);
        }
        window.setPanelListening({&text, &swp08}, &servers.webListening());
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

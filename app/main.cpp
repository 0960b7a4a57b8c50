#include "core/AppCore.h"
#include "link/PortAddress.h"
#include "ui/QtPlatform.h"
#include "ui/Theme.h"
#include "ui/frmMainMatrix.h"
#include "util/Platform.h"
#include "util/Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

using namespace corvantis;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("The line for this run instead of the configured port: COMn, a device "
                       "path, socket://HOST:PORT or rfc2217://HOST:PORT."),
        QStringLiteral("ADDRESS"));
    parser.addOption(portOption);
    parser.process(app);
    const QString port = parser.value(portOption);
    if (parser.isSet(portOption)) {
        QString refused;
        // Only the form is checked here; where COMn leads is looked up when it opens.
        if (!PortAddress::Parse(port, std::string(), &refused)) {
            std::fprintf(stderr, "--port: %s\n", qPrintable(refused));
            return 2;
        }
    }
    Theme::apply(app);

    QtPlatform qtPlatform;
    setPlatform(&qtPlatform);

    int status = 0;
    {
        AppCore core;
        core.link().setPortOverride(port);
        frmMainMatrix window(core);
        window.Form_Load();
        window.show();
        status = QApplication::exec();
    }
    setPlatform(nullptr);
    return status;
}

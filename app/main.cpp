#include "core/AppCore.h"
#include "ui/QtPlatform.h"
#include "ui/Theme.h"
#include "ui/frmMainMatrix.h"
#include "util/Platform.h"
#include "util/Version.h"

#include <QApplication>

using namespace corvantis;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
    Theme::apply(app);

    QtPlatform qtPlatform;
    setPlatform(&qtPlatform);

    int status = 0;
    {
        AppCore core;
        frmMainMatrix window(core);
        window.Form_Load();
        window.show();
        status = QApplication::exec();
    }
    setPlatform(nullptr);
    return status;
}

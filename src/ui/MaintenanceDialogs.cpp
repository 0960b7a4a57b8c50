#include "ui/MaintenanceDialogs.h"

#include "core/AppCore.h"
#include "ui/frmConfig.h"
#include "ui/frmEdidDownload.h"
#include "ui/frmPassword.h"

#include <QPointer>

namespace corvantis {

void MaintenanceDialogs::Connect(frmConfig &setup, AppCore &core)
{
    // Each window talks to the routers, so it opens as an action on the core's path; the
    // setup dialog may have closed by the time a queued one's turn comes.
    QObject::connect(&setup, &frmConfig::changeRouterAddressRequested, &setup, [&setup, &core] {
        core.RunOnLine(QStringLiteral("Change Router Address"), [dialog = QPointer(&setup), &core] {
            if (!dialog)
                return;
            frmPassword prompt(core.settings(), core.link(), dialog);
            prompt.exec();
        });
    });
    QObject::connect(
        &setup, &frmConfig::uploadEdidRequested, &setup,
        [&setup, &core](int frameAddress, const QString &path, const QString &comPortName) {
            core.RunOnLine(QStringLiteral("EDID Download"),
                           [dialog = QPointer(&setup), &core, frameAddress, path, comPortName] {
                               if (!dialog)
                                   return;
                               frmEdidDownload download(core.settings(), core.link(), frameAddress,
                                                        path, comPortName, dialog);
                               download.exec();
                           });
        });
}

} // namespace corvantis

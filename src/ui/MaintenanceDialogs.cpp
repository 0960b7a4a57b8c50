#include "ui/MaintenanceDialogs.h"

#include "core/AppCore.h"
#include "ui/frmConfig.h"
#include "ui/frmEdidDownload.h"
#include "ui/frmPassword.h"

namespace corvantis {

void MaintenanceDialogs::Connect(frmConfig &setup, AppCore &core)
{
    // The windows only ask; what they send to the routers goes as actions on the core's path.
    QObject::connect(&setup, &frmConfig::changeRouterAddressRequested, &setup, [&setup, &core] {
        frmPassword prompt(core, &setup);
        prompt.exec();
    });
    QObject::connect(
        &setup, &frmConfig::uploadEdidRequested, &setup,
        [&setup, &core](int frameAddress, const QString &path, const QString &comPortName) {
            frmEdidDownload download(core, frameAddress, path, comPortName, &setup);
            download.exec();
        });
}

} // namespace corvantis

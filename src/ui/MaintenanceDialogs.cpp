#include "ui/MaintenanceDialogs.h"

#include "ui/frmConfig.h"
#include "ui/frmEdidDownload.h"
#include "ui/frmPassword.h"

namespace corvantis {

void MaintenanceDialogs::Connect(frmConfig &setup, SerialLink &link, Settings &settings)
{
    QObject::connect(&setup, &frmConfig::changeRouterAddressRequested, &setup,
                     [&setup, &link, &settings] {
                         frmPassword prompt(settings, link, &setup);
                         prompt.exec();
                     });
    QObject::connect(&setup, &frmConfig::uploadEdidRequested, &setup,
                     [&setup, &link, &settings](int frameAddress, const QString &path,
                                                const QString &comPortName) {
                         frmEdidDownload download(settings, link, frameAddress, path, comPortName,
                                                  &setup);
                         download.exec();
                     });
}

} // namespace corvantis

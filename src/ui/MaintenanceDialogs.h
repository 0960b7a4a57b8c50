#pragma once

namespace corvantis {

class AppCore;
class frmConfig;

// Opens the router address change (behind its password) and the EDID download from the setup
// dialog's buttons, each as an action on the core's path. The core must outlive the dialog.
class MaintenanceDialogs {
public:
    static void Connect(frmConfig &setup, AppCore &core);
};

} // namespace corvantis

#pragma once

namespace corvantis {

class SerialLink;
class frmConfig;
struct Settings;

// Opens the router address change (behind its password) and the EDID download from the setup
// dialog's buttons. The link and the settings must outlive the setup dialog.
class MaintenanceDialogs {
public:
    static void Connect(frmConfig &setup, SerialLink &link, Settings &settings);
};

} // namespace corvantis

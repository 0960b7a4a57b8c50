#pragma once

#include "config/MacroStore.h"
#include "config/Settings.h"
#include "model/RouterTable.h"

#include <string>

namespace corvantis {

// Everything a configuration file holds. The debug switch is the debug log's own Enable.
struct Configuration {
    Settings settings;
    RouterTable routers;
    MacroStore macros;
};

inline constexpr const char *kConfigHeader = "CV ConfigFile 1.2";

// Reads a ".rcf" file into the configuration. `path` is updated to the file actually read
// (empty when the dialog was cancelled). Problems are reported through the platform seam.
void ConfigLoad(std::string &path, bool showDialog, Configuration &config);
// Writes the configuration. With quiet and a known path no dialog is shown. The file is
// replaced only once the new one is complete.
void ConfigSave(std::string &path, bool quiet, Configuration &config);

// The data folder with a trailing separator, and "default.rcf" inside it.
std::string ConfigFolder();
std::string DefaultConfigPath();

} // namespace corvantis

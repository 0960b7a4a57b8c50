#pragma once

#include "config/MacroStore.h"
#include "config/Settings.h"
#include "model/RouterTable.h"

#include <cstdint>
#include <optional>
#include <string>

namespace corvantis {

// A file that did not load completely: saving over it would lose the lines that were skipped,
// so it is first copied to `backup`.
struct KeptOriginal {
    std::string file;
    std::string backup;
};

// Everything a configuration file holds. The debug switch is the debug log's own Enable.
struct Configuration {
    Settings settings;
    RouterTable routers;
    MacroStore macros;
    std::optional<KeptOriginal> keptOriginal;
};

inline constexpr const char *kConfigHeader = "CV ConfigFile 1.2";
// Far above the largest configuration (about 200 KiB); anything bigger is refused unread.
inline constexpr std::uintmax_t kMaxConfigFileBytes = 16u * 1024u * 1024u;

// Reads a ".rcf" file into the configuration. `path` is updated to the file actually read
// (empty when the dialog was cancelled). Problems are reported through the platform seam, at
// most ReportBudget::kShown of them and then one summary. After a load with problems the file
// is copied (keptOriginal) before it is first saved over.
void ConfigLoad(std::string &path, bool showDialog, Configuration &config);
// Writes the configuration. With quiet and a known path no dialog is shown. The file is
// replaced only once the new one is complete and on disk, never when it is write-protected, and
// a file that did not load completely is copied first; a failed save leaves the old file and
// ConfigFilePath as they were.
void ConfigSave(std::string &path, bool quiet, Configuration &config);
// The whole file ConfigSave writes: UTF-8, lines ended by CR LF.
std::string ConfigText(const Configuration &config);

// The data folder with a trailing separator, and "default.rcf" inside it.
std::string ConfigFolder();
std::string DefaultConfigPath();

} // namespace corvantis

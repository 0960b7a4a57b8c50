#include "config/ConfigFile.h"

#include "config/SetupValidation.h"
#include "util/GeneralFunctions.h"
#include "util/Numbers.h"
#include "util/Platform.h"
#include "util/ReportBudget.h"
#include "util/ReportFailure.h"
#include "util/RuntimeError.h"
#include "util/TextCodec.h"
#include "util/Version.h"
#include "util/clsDebug.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace corvantis {

namespace fs = std::filesystem;

namespace {

constexpr const char *kLoadLabel = "Function ConfigLoad";
constexpr const char *kSaveLabel = "Function ConfigSave";
constexpr const char *kDialogTitle = "Configuration File";
constexpr const char *kDialogFilter = "*.rcf";
constexpr float kDefaultTimeout = 0.2f;
constexpr float kMaxTimeout = 60.0f;
// Files older than this wrote 0 for "not set" rather than "do not wait".
constexpr float kZeroTimeoutVersion = 1.0111f;
constexpr int kMaxComPort = 7;

// Where the load stood when something failed; the number is part of the message.
enum Section {
    kEntry = 1,
    kPathChoice = 2,
    kOpening = 3,
    kClearing = 4,
    kEndOfFile = 5,
    kSplitting = 6,
    kKeyChoice = 7,
    kVersionKey = 8,
    kComPortKey = 9,
    kTimeoutKey = 10,
    kRemoteTypeKey = 11,
    kRouterKey = 12,
    kMatrixSizeKey = 13,
    kMacroSection = 14,
    kAfterLastLine = 15,
    kCommTypeKey = 16,
    kCommandGapKey = 17,
};

// A failure inside one step is reported with its section and the load goes on.
template <typename Action> void guarded(int section, Action &&action)
{
    try {
        action();
    } catch (const std::exception &error) {
        ReportFailure(kLoadLabel, section, error.what());
    }
}

// Paths are UTF-8 texts inside the program.
fs::path toPath(const std::string &path)
{
    return fs::path(std::u8string(path.begin(), path.end()));
}

std::string systemError(int error)
{
    return error != 0 ? std::strerror(error) : "unknown error";
}

// The whole file, or the reason it cannot be a configuration file. Only regular files are
// read, so a device or pipe cannot make the load wait or read without end.
std::string readConfigFile(const std::string &path)
{
    const auto file = toPath(path);
    std::error_code ec;
    const auto status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found)
        throw RuntimeError("File not found: " + path);
    if (ec)
        throw RuntimeError("Cannot read " + path + ": " + ec.message());
    if (!fs::is_regular_file(status))
        throw RuntimeError("Not a file: " + path);
    const auto size = fs::file_size(file, ec);
    if (ec)
        throw RuntimeError("Cannot read " + path + ": " + ec.message());
    if (size > kMaxConfigFileBytes)
        throw RuntimeError("The file is larger than 16 MiB, so it is no configuration file: " +
                           path);

    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw RuntimeError("Cannot open " + path + ": " + systemError(errno));
    // The file may have grown since its size was read; the cap holds either way.
    std::string bytes(static_cast<std::size_t>(size) + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        throw RuntimeError("Cannot read " + path + ": " + systemError(errno));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxConfigFileBytes)
        throw RuntimeError("The file is larger than 16 MiB, so it is no configuration file: " +
                           path);
    return bytes;
}

// The file a save replaces: through a link to the file it names, so the link stays a link.
// Refused when write-protected: a rename replaces even a read-only file, so this is checked
// first. A file without any write bit is refused for everyone, the superuser included, for whom
// access() says yes to anything; for other users access() applies their own class of bits.
fs::path replacementTarget(const std::string &path)
{
    auto target = toPath(path);
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        auto resolved = fs::canonical(target, ec);
        if (!ec)
            target = std::move(resolved);
    }
    const auto status = fs::status(target, ec);
    constexpr auto anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (fs::is_regular_file(status) && ((status.permissions() & anyWrite) == fs::perms::none ||
                                        ::access(target.c_str(), W_OK) != 0))
        throw RuntimeError(systemError(EACCES));
    return target;
}

// A new file beside the target under a name nobody uses, so no existing file is ever opened.
int createTemporary(const fs::path &target, fs::path &temporary)
{
    std::mt19937_64 random(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%012llx.tmp",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        temporary = target;
        temporary += suffix;
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno != EINTR)
            return false;
        if (written > 0)
            bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Writes beside the target and renames over it only once the data is on disk, so a failure or
// a power cut at any point leaves the previous file as it was.
void writeReplacing(const fs::path &target, const std::string &path, const std::string &text)
{
    fs::path temporary;
    const int fd = createTemporary(target, temporary);
    if (fd < 0)
        throw RuntimeError("Cannot write " + path + ": " + systemError(errno));
    // The new file keeps the permissions the operator gave the old one.
    std::error_code ec;
    const auto old = fs::status(target, ec);
    const bool keepMode = !ec && fs::is_regular_file(old);
    const auto mode = static_cast<mode_t>(old.permissions() & fs::perms::mask);
    if (!writeAll(fd, text) || (keepMode && ::fchmod(fd, mode) != 0) || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        fs::remove(temporary, ec);
        throw RuntimeError("Cannot write " + path + ": " + systemError(error));
    }
    if (::close(fd) != 0) {
        const int error = errno;
        fs::remove(temporary, ec);
        throw RuntimeError("Cannot write " + path + ": " + systemError(error));
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        const auto reason = ec.message();
        fs::remove(temporary, ec);
        throw RuntimeError("Cannot replace " + path + ": " + reason);
    }
    // The rename itself is on disk only once the folder is.
    if (const int folder = ::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                                  O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

// "NAME.rcf.bak", or the first free "NAME.rcf.N.bak": a copy kept by an earlier load is never
// overwritten.
std::string freeBackupName(const std::string &file)
{
    for (int n = 1; n < 1000; ++n) {
        auto name = file + (n == 1 ? std::string() : "." + std::to_string(n)) + ".bak";
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(toPath(name), ec)))
            return name;
    }
    throw RuntimeError("No free name for a copy of " + file);
}

// Before the first save over a file that did not load completely, a copy keeps what the load
// skipped. Without the copy the file is not replaced.
void keepOriginal(std::optional<KeptOriginal> &kept, const fs::path &target)
{
    std::error_code ec;
    if (!kept || !fs::equivalent(target, toPath(kept->file), ec))
        return;
    auto backup = kept->backup;
    if (backup.empty() || fs::exists(fs::symlink_status(toPath(backup), ec)))
        backup = freeBackupName(kept->file);
    fs::copy_file(toPath(kept->file), toPath(backup), fs::copy_options::none, ec);
    if (ec)
        throw RuntimeError("Cannot keep " + kept->file + " as " + backup + ": " + ec.message());
    DebugLog().Log("Kept", {kept->file, backup});
    kept.reset();
}

// Major, full stop, minor and revision with two digits each: 1.2.0 is "1.0200".
std::string versionText()
{
    return std::to_string(kVersionMajor) + "." + AtLeastTwoDigits(kVersionMinor) +
           AtLeastTwoDigits(kVersionRevision);
}

int comPortNumber(const std::string &portName)
{
    if (portName.empty())
        return 0;
    const char last = portName.back();
    return last >= '0' && last <= '9' ? last - '0' : 0;
}

bool endsWithRcf(const std::string &path)
{
    return path.size() >= 4 &&
           ToLowerAscii(std::string_view(path).substr(path.size() - 4)) == ".rcf";
}

} // namespace

std::string ConfigFolder()
{
    return ProgramDataFolder();
}

std::string DefaultConfigPath()
{
    return ConfigFolder() + "default.rcf";
}

std::string ConfigText(const Configuration &config)
{
    const auto &settings = config.settings;
    std::string text;
    text.reserve(4096);
    auto line = [&text](std::string_view content) {
        text += content;
        text += "\r\n";
    };
    line(kConfigHeader);
    line("Version: " + versionText());
    line("Com Port: " + std::to_string(comPortNumber(settings.CommPortName)));
    // Older versions skip the key and stay on the COM port above.
    if (!settings.CommPortAddress.empty())
        line("Port Address: " + settings.CommPortAddress);
    line("Router Timeout: " + FormatSingle(settings.RouterTimeout));
    // Written only when set, so files stay as older versions wrote them.
    if (settings.CommandGap != Settings::kDefaultCommandGap)
        line("Command Gap: " + FormatSingle(settings.CommandGap));
    line("Comm Type: " + std::to_string(settings.CommType));
    line("Remote Type: " + std::to_string(settings.RemoteType));
    if (DebugLog().Enable())
        line("DEBUG: -1");
    for (int slot = 0; slot < RouterTable::kSlots; ++slot) {
        const auto *router = config.routers.at(slot);
        if (router && router->RouterType() > -1) {
            text += "Router: ";
            line(router->StringVal());
        }
    }
    line(std::string("Matrix Size: ") + (settings.MatrixSize ? "-1" : "0"));
    // Written only when switched off, so files stay as older versions wrote them.
    if (!settings.PollRound)
        line("Poll Round: 0");
    text += config.macros.SaveMacros();
    return text;
}

void ConfigLoad(std::string &path, bool showDialog, Configuration &config)
{
    auto &settings = config.settings;
    DebugLog().IndentIncr("ConfigLoad");
    struct Exit {
        ~Exit() { DebugLog().IndentDec(); }
    } exit;
    ReportBudget budget(kLoadLabel);

    guarded(kPathChoice, [&] {
        if (path.empty() && !settings.ConfigFilePath.empty())
            path = settings.ConfigFilePath;
        // The data folder only serves as the dialog's starting point; it is never read.
        if (showDialog)
            path = platform().openFileDialog(kDialogTitle, kDialogFilter,
                                             FolderOf(path.empty() ? ConfigFolder() : path),
                                             FileNameOf(path));
    });
    if (path.empty())
        return;

    // Nothing changes until the file is known to be a configuration file.
    std::vector<std::string> lines;
    try {
        lines = SplitLines(DecodeFileText(readConfigFile(path)));
    } catch (const std::exception &error) {
        ReportFailure(kLoadLabel, kOpening, error.what());
        return;
    }
    if (lines.empty() || lines.front() != kConfigHeader) {
        platform().messageBox("This is not a valid configuration file for this version of the "
                              "program",
                              kProgramTitle, MessageButtons::Ok, MessageIcon::None);
        return;
    }

    config.routers.clearAll();
    settings.RouterTimeout = kDefaultTimeout;
    settings.CommandGap = Settings::kDefaultCommandGap;
    settings.PollRound = true;
    settings.CommPortAddress.clear();

    float fileVersion = 0;
    std::size_t next = 1;
    std::int32_t lineCounter = 1;
    auto nextLine = [&]() -> std::optional<std::string_view> {
        if (next >= lines.size())
            return std::nullopt;
        return std::string_view(lines[next++]);
    };

    while (const auto current = nextLine()) {
        ++lineCounter;
        const std::string_view line = *current;
        std::int32_t cursor = 1;
        const auto key = ToLowerAscii(GetToken(line, cursor, ":"));
        // Everything after the first ":"; the value of most keys ends at the second one.
        const auto rest =
            cursor > 0 ? line.substr(static_cast<std::size_t>(cursor - 1)) : std::string_view();
        auto value = [&] {
            std::int32_t valueCursor = 1;
            return Trim(GetToken(rest, valueCursor, ":"));
        };
        auto number = [&] { return RoundToInt16(LeadingNumber(value())); };

        if (key == "version") {
            guarded(kVersionKey, [&] { fileVersion = ParseSingle(value()); });
        } else if (key == "com port") {
            guarded(kComPortKey, [&] {
                const int n = number();
                // Without a valid number the name ends in no digit and opens nothing.
                settings.CommPortName =
                    n >= 1 && n <= kMaxComPort ? "COM" + std::to_string(n) : std::string();
            });
        } else if (key == "port address") {
            // Addresses hold ":", so the value is everything after the key.
            guarded(kComPortKey, [&] { settings.CommPortAddress = Trim(rest); });
        } else if (key == "router timeout") {
            guarded(kTimeoutKey, [&] {
                const float t = ParseSingle(value());
                if (t >= 0 && t <= kMaxTimeout)
                    settings.RouterTimeout = t;
            });
        } else if (key == "command gap") {
            guarded(kCommandGapKey, [&] {
                const float gap = SetupValidation::ConvertGap(value());
                if (const auto problem = SetupValidation::CheckCommandGap(gap))
                    throw RuntimeError("Line " + std::to_string(lineCounter) + ": " + *problem +
                                       "; the default " +
                                       FormatSingle(Settings::kDefaultCommandGap) + " is kept");
                settings.CommandGap = gap;
            });
        } else if (key == "comm type") {
            guarded(kCommTypeKey, [&] { settings.CommType = number(); });
        } else if (key == "remote type") {
            guarded(kRemoteTypeKey, [&] {
                const float t = ParseSingle(value());
                if (t >= 0 && t <= 2)
                    settings.RemoteType = RoundToInt16(t);
            });
        } else if (key == "debug") {
            guarded(kKeyChoice, [&] {
                if (number() == 0)
                    return;
                const int before = budget.reports();
                DebugLog().SetEnable(true);
                // A log that could not be opened has said so; it is not reported as enabled.
                if (DebugLog().isWriting())
                    platform().messageBox("Debugger Log Enabled", "Debugger", MessageButtons::Ok,
                                          MessageIcon::Information);
                // Neither the notice nor a log that cannot be written is a fault of the file.
                budget.excuse(budget.reports() - before);
            });
        } else if (key == "router") {
            guarded(kRouterKey, [&] {
                // Names may hold ":", so the router keeps everything after the key.
                auto router = std::make_unique<clsRouter>();
                router->SetStringVal(Trim(rest));
                settings.CurrentRouterType = router->RouterType();
                if (router->isValid()) {
                    const int slot = router->FrameAddress();
                    config.routers.set(slot, std::move(router));
                }
            });
        } else if (key == "matrix size") {
            guarded(kMatrixSizeKey, [&] { settings.MatrixSize = number() != 0; });
        } else if (key == "poll round") {
            guarded(kMatrixSizeKey, [&] { settings.PollRound = number() != 0; });
        } else if (key == "begin macros") {
            guarded(kMacroSection, [&] { config.macros.LoadMacros(nextLine, lineCounter); });
        }
    }

    settings.ConfigFilePath = path;
    settings.ConfigLoaded = true;
    if (fileVersion < kZeroTimeoutVersion && settings.RouterTimeout == 0)
        settings.RouterTimeout = kDefaultTimeout;

    config.keptOriginal.reset();
    std::string closing;
    guarded(kAfterLastLine, [&] {
        if (budget.problems() == 0)
            return;
        config.keptOriginal = KeptOriginal{path, {}};
        config.keptOriginal->backup = freeBackupName(path);
        closing = "Not everything in " + FileNameOf(path) +
                  " could be loaded. The file will be kept as " +
                  FileNameOf(config.keptOriginal->backup) + " before it is next saved.";
    });
    budget.finish(closing);
}

void ConfigSave(std::string &path, bool quiet, Configuration &config)
{
    auto &settings = config.settings;
    DebugLog().IndentIncr("ConfigSave");
    try {
        if (!settings.ConfigFilePath.empty())
            path = settings.ConfigFilePath;
        // Only a name typed into the dialog gets the extension: a file loaded under another
        // name is saved back to itself.
        if (!quiet || path.empty()) {
            path = platform().saveFileDialog(kDialogTitle, kDialogFilter, FolderOf(path),
                                             FileNameOf(path));
            if (!path.empty() && !endsWithRcf(path))
                path += ".rcf";
        }
        if (!path.empty()) {
            const auto target = replacementTarget(path);
            keepOriginal(config.keptOriginal, target);
            writeReplacing(target, path, ConfigText(config));
            settings.ConfigFilePath = path;
        }
    } catch (const std::exception &error) {
        ReportFailure(kSaveLabel, error.what());
    }
    DebugLog().IndentDec();
}

} // namespace corvantis

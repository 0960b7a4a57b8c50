#include "config/ConfigFile.h"

#include "util/GeneralFunctions.h"
#include "util/Numbers.h"
#include "util/Platform.h"
#include "util/RuntimeError.h"
#include "util/TextCodec.h"
#include "util/Version.h"
#include "util/clsDebug.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

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
};

void reportLoadFailure(int section, const std::string &description)
{
    const auto message = "Error (section " + std::to_string(section) + "): " + description;
    platform().messageBox(message, kLoadLabel, MessageButtons::Ok, MessageIcon::Information);
    DebugLog().Log(message, {kLoadLabel});
}

void reportSaveFailure(const std::string &description)
{
    const auto message = "Error: " + description;
    platform().messageBox(message, kSaveLabel, MessageButtons::Ok, MessageIcon::Information);
    DebugLog().Log(message, {kSaveLabel});
}

// A failure inside one step is reported with its section and the load goes on.
template <typename Action> void guarded(int section, Action &&action)
{
    try {
        action();
    } catch (const std::exception &error) {
        reportLoadFailure(section, error.what());
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

// Writes beside the target and renames over it only when complete, so a failure at any point
// leaves the previous file as it was.
void writeReplacing(const std::string &path, const std::string &text)
{
    auto target = toPath(path);
    std::error_code ec;
    // Through a link to the file it names, so the link stays a link.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        auto resolved = fs::canonical(target, ec);
        if (!ec)
            target = std::move(resolved);
    }
    auto temporary = target;
    temporary += ".tmp";

    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out)
        throw RuntimeError("Cannot write " + path + ": " + systemError(errno));
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        const int error = errno;
        fs::remove(temporary, ec);
        throw RuntimeError("Cannot write " + path + ": " + systemError(error));
    }
    // The new file keeps the permissions the operator gave the old one.
    const auto old = fs::status(target, ec);
    if (!ec && fs::is_regular_file(old))
        fs::permissions(temporary, old.permissions(), ec);
    fs::rename(temporary, target, ec);
    if (ec) {
        const auto reason = ec.message();
        fs::remove(temporary, ec);
        throw RuntimeError("Cannot replace " + path + ": " + reason);
    }
}

std::string twoDigits(int value)
{
    return (value < 10 ? "0" : "") + std::to_string(value);
}

// Major, full stop, minor and revision with two digits each: 1.2.0 is "1.0200".
std::string versionText()
{
    return std::to_string(kVersionMajor) + "." + twoDigits(kVersionMinor) +
           twoDigits(kVersionRevision);
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
        reportLoadFailure(kOpening, error.what());
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
                DebugLog().SetEnable(true);
                // A log that could not be opened has said so; it is not reported as enabled.
                if (DebugLog().Enable())
                    platform().messageBox("Debugger Log Enabled", "Debugger", MessageButtons::Ok,
                                          MessageIcon::Information);
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
        } else if (key == "begin macros") {
            guarded(kMacroSection, [&] { config.macros.LoadMacros(nextLine, lineCounter); });
        }
    }

    settings.ConfigFilePath = path;
    settings.ConfigLoaded = true;
    if (fileVersion < kZeroTimeoutVersion && settings.RouterTimeout == 0)
        settings.RouterTimeout = kDefaultTimeout;
}

void ConfigSave(std::string &path, bool quiet, Configuration &config)
{
    auto &settings = config.settings;
    DebugLog().IndentIncr("ConfigSave");
    try {
        if (!settings.ConfigFilePath.empty())
            path = settings.ConfigFilePath;
        if (!quiet || path.empty())
            path = platform().saveFileDialog(kDialogTitle, kDialogFilter, FolderOf(path),
                                             FileNameOf(path));
        if (!path.empty()) {
            if (!endsWithRcf(path))
                path += ".rcf";
            writeReplacing(path, ConfigText(config));
            settings.ConfigFilePath = path;
        }
    } catch (const std::exception &error) {
        reportSaveFailure(error.what());
    }
    DebugLog().IndentDec();
}

} // namespace corvantis

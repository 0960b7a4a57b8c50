// A whole configuration file through ConfigLoad. Whatever loads must save and load back to the
// same configuration without a single message.
#include "config/ConfigFile.h"
#include "support/ScriptedPlatform.h"
#include "util/clsDebug.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace corvantis;
namespace fs = std::filesystem;

namespace {

struct Harness {
    Harness()
    {
        // Replacing a file by rename makes ext4 write it out; memory keeps the fuzzer fast.
        std::error_code ec;
        const auto base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        folder = base / ("corvantis-fuzz-config-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        platform.dataFolder = folder.string();
        // A "debug" line may switch the log on; it must not fill the disk while fuzzing.
        DebugLog().SetDBFile("/dev/null", false, true);
        DebugLog().SetEnable(false);
    }
    ~Harness() { fs::remove_all(folder); }

    test::ScriptedPlatform platform;
    fs::path folder;
};

Harness &harness()
{
    static Harness instance;
    return instance;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    auto &h = harness();
    const auto input = (h.folder / "input.rcf").string();
    std::ofstream(input, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));

    Configuration config;
    auto path = input;
    ConfigLoad(path, false, config);
    DebugLog().SetEnable(false);
    check(h.platform.unexpected.empty());
    h.platform.clear();
    if (!config.settings.ConfigLoaded)
        return 0;

    const auto text = ConfigText(config);
    auto saved = (h.folder / "saved.rcf").string();
    config.settings.ConfigFilePath.clear();
    ConfigSave(saved, true, config);
    Configuration again;
    ConfigLoad(saved, false, again);
    check(h.platform.messages.empty() && h.platform.unexpected.empty());
    check(again.settings.ConfigLoaded && ConfigText(again) == text);
    h.platform.clear();
    return 0;
}

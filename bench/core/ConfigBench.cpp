#include "config/ConfigFile.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

using namespace corvantis;
namespace fs = std::filesystem;

namespace {

// Exactly 20 characters: "Output 001 at rtr 15".
std::string name(const char *kind, int index, int slot)
{
    char text[32];
    std::snprintf(text, sizeof text, "%-7s%03d at rtr %02d", kind, index, slot);
    return text;
}

// The largest configuration a file can hold: sixteen 127 x 127 routers with 20-character
// names and 50 macros of 100 steps.
Configuration largestConfiguration()
{
    Configuration config;
    config.settings.CommPortName = "COM1";
    config.settings.CommType = 1;
    for (int slot = 0; slot < RouterTable::kSlots; ++slot) {
        auto router = std::make_unique<clsRouter>();
        router->SetRouterType(5);
        router->SetFrameAddress(slot);
        router->SetInputCount(126);
        router->SetOutputCount(126);
        for (int port = 0; port <= 126; ++port) {
            router->SetRouterInName(port, name("Input", port, slot));
            router->SetRouterOutName(port, name("Output", port, slot));
        }
        config.routers.set(slot, std::move(router));
    }
    for (int n = 0; n < MacroStore::kCount; ++n) {
        std::vector<std::uint32_t> steps;
        for (int s = 0; s < 100; ++s)
            steps.push_back(MacroStep::Pack(
                static_cast<std::uint8_t>(s % 16), static_cast<std::uint8_t>(s + 27),
                static_cast<std::uint8_t>(s % 5 ? s : 255), static_cast<std::uint8_t>(s % 3 + 1)));
        config.macros.SetMacroName(n, "Macro scene " + std::to_string(n));
        config.macros.SetMacro(n, std::move(steps));
    }
    return config;
}

class BenchFolder {
public:
    BenchFolder()
        : m_path(fs::temp_directory_path() / ("corvantis-bench-" + std::to_string(::getpid())))
    {
        fs::create_directories(m_path);
    }
    ~BenchFolder() { fs::remove_all(m_path); }
    std::string file(const char *name) const { return (m_path / name).string(); }

private:
    fs::path m_path;
};

void BM_ConfigSaveLargest(benchmark::State &state)
{
    BenchFolder folder;
    auto config = largestConfiguration();
    config.settings.ConfigFilePath = folder.file("largest.rcf");
    for (auto _ : state) {
        std::string path;
        ConfigSave(path, true, config);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(folder.file("largest.rcf"))));
}
BENCHMARK(BM_ConfigSaveLargest)->Unit(benchmark::kMillisecond);

void BM_ConfigLoadLargest(benchmark::State &state)
{
    BenchFolder folder;
    auto original = largestConfiguration();
    auto path = folder.file("largest.rcf");
    ConfigSave(path, true, original);
    Configuration config;
    for (auto _ : state) {
        auto loadPath = path;
        ConfigLoad(loadPath, false, config);
    }
    if (config.routers.count() != RouterTable::kSlots || !config.macros.Macro(49) ||
        config.macros.Macro(49)->size() != 100)
        state.SkipWithError("the configuration did not load back");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_ConfigLoadLargest)->Unit(benchmark::kMillisecond);

// The text alone, to tell formatting from file-system time.
void BM_ConfigTextLargest(benchmark::State &state)
{
    const auto config = largestConfiguration();
    for (auto _ : state)
        benchmark::DoNotOptimize(ConfigText(config));
}
BENCHMARK(BM_ConfigTextLargest)->Unit(benchmark::kMillisecond);

} // namespace

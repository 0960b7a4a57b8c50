#include "config/MacroPlayback.h"

#include "config/MacroStore.h"
#include "util/ReportFailure.h"

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace corvantis {

namespace {

constexpr const char *kLabel = "Function btnMacro_Click";
constexpr int kNoInputByte = 255;

} // namespace

Task<void> MacroPlayback::PlayMacro(const MacroStore &store, int number)
{
    try {
        EnableButtons(false);
        setBulkRouting(true);
        // A copy: while a route waits for the routers, a configuration may be loaded that
        // replaces the stored macros.
        std::vector<std::uint32_t> steps;
        if (const auto &macro = store.Macro(number))
            steps = *macro;
        for (const auto step : steps) {
            const int input = MacroStep::Input(step);
            try {
                co_await RouteStep(MacroStep::Frame(step), MacroStep::Output(step),
                                   input == kNoInputByte ? -1 : input, MacroStep::Level(step));
            } catch (const std::exception &error) {
                ReportFailure(kLabel, error.what());
            }
        }
    } catch (const std::exception &error) {
        ReportFailure(kLabel, error.what());
    }
    try {
        EnableButtons(true);
    } catch (const std::exception &error) {
        ReportFailure(kLabel, error.what());
    }
    setBulkRouting(false);
}

} // namespace corvantis

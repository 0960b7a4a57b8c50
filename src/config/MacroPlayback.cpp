#include "config/MacroPlayback.h"

#include "config/MacroStore.h"
#include "util/Platform.h"
#include "util/clsDebug.h"

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace corvantis {

namespace {

constexpr const char *kLabel = "Function btnMacro_Click";
constexpr int kNoInputByte = 255;

void report(const std::exception &error)
{
    const auto message = std::string("Error: ") + error.what();
    platform().messageBox(message, kLabel, MessageButtons::Ok, MessageIcon::Information);
    DebugLog().Log(message, {kLabel});
}

} // namespace

void MacroPlayback::PlayMacro(const MacroStore &store, int number)
{
    try {
        EnableButtons(false);
        setBulkRouting(true);
        // A copy: a route waits on the line with events running, and a configuration loaded
        // meanwhile replaces the stored macros.
        std::vector<std::uint32_t> steps;
        if (const auto &macro = store.Macro(number))
            steps = *macro;
        for (const auto step : steps) {
            const int input = MacroStep::Input(step);
            try {
                RouteStep(MacroStep::Frame(step), MacroStep::Output(step),
                          input == kNoInputByte ? -1 : input, MacroStep::Level(step));
            } catch (const std::exception &error) {
                report(error);
            }
        }
    } catch (const std::exception &error) {
        report(error);
    }
    try {
        EnableButtons(true);
    } catch (const std::exception &error) {
        report(error);
    }
    setBulkRouting(false);
}

} // namespace corvantis

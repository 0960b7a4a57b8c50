#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvantis {

class RouterTable;

// The checks the setup dialog's OK runs before anything is written. Each gives the operator's
// message for the first problem found, nullopt when there is none.
class SetupValidation {
public:
    static constexpr float kMaxTimeout = 60.0f;
    // The logical matrix has this many inputs and outputs.
    static constexpr int kLogicalPorts = 128;

    // The time-out box as a number: a text that is not a number counts as 0, one too large for
    // a single-precision number as infinity (so the range check refuses it).
    static float ConvertToSingle(std::string_view text);
    static std::optional<std::string> CheckTimeout(float seconds);
    static constexpr float kMaxCommandGap = 1.0f;
    // The gap as a number; NaN for a text that is none, so that the range check refuses it
    // (a slip of the keyboard must not take the pause away).
    static float ConvertGap(std::string_view text);
    // The one rule for the gap, for the dialog and the configuration file alike.
    static std::optional<std::string> CheckCommandGap(float seconds);
    // Routers from slot 0 up to the first empty slot, in slot order: a model, ports, and
    // outputs that do not overlap an earlier router's. Inputs may be shared. An output outside
    // the matrix throws RuntimeError("Subscript out of range").
    static std::optional<std::string> CheckRouters(const RouterTable &routers);
};

} // namespace corvantis

#include "config/SetupValidation.h"

#include "model/RouterTable.h"
#include "util/Numbers.h"
#include "util/RuntimeError.h"

#include <array>
#include <limits>

namespace corvantis {

namespace {

std::string routerText(int slot)
{
    return "Router " + std::to_string(slot);
}

} // namespace

float SetupValidation::ConvertToSingle(std::string_view text)
{
    try {
        return ParseSingle(text);
    } catch (const RuntimeError &error) {
        if (error.description() == kOverflow)
            return std::numeric_limits<float>::infinity();
        return 0.0f;
    }
}

std::optional<std::string> SetupValidation::CheckTimeout(float seconds)
{
    // Written so that NaN fails too.
    if (seconds >= 0.0f && seconds <= kMaxTimeout)
        return std::nullopt;
    return "Router Timeout must be between 0 and " + std::to_string(static_cast<int>(kMaxTimeout)) +
           " seconds";
}

float SetupValidation::ConvertGap(std::string_view text)
{
    try {
        return ParseSingle(text);
    } catch (const RuntimeError &) {
        return std::numeric_limits<float>::quiet_NaN();
    }
}

std::optional<std::string> SetupValidation::CheckCommandGap(float seconds)
{
    if (seconds >= 0.0f && seconds <= kMaxCommandGap)
        return std::nullopt;
    return "Command Gap must be between 0 and " + FormatSingle(kMaxCommandGap) + " seconds";
}

std::optional<std::string> SetupValidation::CheckRouters(const RouterTable &routers)
{
    std::array<int, kLogicalPorts> outputOwner;
    outputOwner.fill(-1);
    for (int slot = 0; slot < RouterTable::kSlots; ++slot) {
        const clsRouter *router = routers.at(slot);
        if (!router)
            break;
        if (router->RouterType() == -1)
            return routerText(slot) + " has no router type selected";
        // Counts hold the highest index: one port is a count of 0 and is a valid router.
        if (router->OutputCount() < 0)
            return routerText(slot) + " has an output count of zero";
        if (router->InputCount() < 0)
            return routerText(slot) + " has an input count of zero";
        for (int output = 0; output <= router->OutputCount(); ++output) {
            // Routers keep their ranges inside the matrix; anything else is a fault to report.
            const int logical = router->MapOutput(output);
            if (logical < 0 || logical >= kLogicalPorts)
                throw RuntimeError(kSubscriptOutOfRange);
            int &owner = outputOwner[static_cast<std::size_t>(logical)];
            if (owner >= 0)
                return routerText(slot) + " has mapped output(s) overlapping " + routerText(owner) +
                       ". Set the range to unused area.";
            owner = slot;
        }
    }
    return std::nullopt;
}

} // namespace corvantis

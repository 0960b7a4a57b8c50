#include "config/MacroRecording.h"

#include "config/MacroStore.h"
#include "util/ReportFailure.h"
#include "util/RuntimeError.h"

#include <algorithm>

namespace corvantis {

namespace {

constexpr const char *kRecordLabel = "Function RecordRoute";

std::uint8_t toByte(int value)
{
    if (value < 0 || value > 255)
        throw RuntimeError(kOverflow);
    return static_cast<std::uint8_t>(value);
}

} // namespace

void MacroRecording::RecordRoute(int frameAddress, int output, int input, int level)
{
    std::uint32_t step = 0;
    try {
        step = MacroStep::Pack(toByte(frameAddress), toByte(output),
                               toByte(input < 0 ? 255 : input), toByte(level));
    } catch (const RuntimeError &error) {
        ReportFailure(kRecordLabel, error.description());
        return;
    }
    auto key = std::to_string(MacroStep::Frame(step)) + ':' +
               std::to_string(MacroStep::Output(step)) + ':' +
               std::to_string(MacroStep::Input(step));
    auto &steps = m_steps ? *m_steps : m_steps.emplace();
    // The key holds exactly the frame, output and input bytes, so equal keys are equal routes.
    const auto same = std::find_if(steps.begin(), steps.end(),
                                   [&](const auto &entry) { return entry.first == key; });
    if (same != steps.end())
        steps.erase(same);
    steps.emplace_back(std::move(key), step);
}

void MacroRecording::ClearRecording()
{
    m_steps.emplace();
}

void MacroRecording::StoreRecording(MacroStore &store, int n) const
{
    store.SetMacro(n, steps());
}

std::vector<std::uint32_t> MacroRecording::steps() const
{
    std::vector<std::uint32_t> values;
    if (m_steps) {
        values.reserve(m_steps->size());
        for (const auto &entry : *m_steps)
            values.push_back(entry.second);
    }
    return values;
}

} // namespace corvantis

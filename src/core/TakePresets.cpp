#include "core/TakePresets.h"

namespace corvantis {

void TakePresets::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    emit enabledChanged(enabled);
}

void TakePresets::add(const Preset &preset)
{
    for (const int level : {1, 2})
        if (preset.levels & level)
            m_inputs[{preset.frameAddress, preset.output, level}] = preset.input;
    emit changed();
}

std::optional<int> TakePresets::inputAt(int frameAddress, int output, int level) const
{
    const auto found = m_inputs.find({frameAddress, output, level});
    if (found == m_inputs.end())
        return std::nullopt;
    return found->second;
}

QList<TakePresets::Preset> TakePresets::all() const
{
    QList<Preset> presets;
    for (const auto &[key, input] : m_inputs) {
        const auto &[frame, output, level] = key;
        // The video entry comes first in the map: an audio entry with the same input joins it.
        if (!presets.isEmpty() && presets.back().frameAddress == frame &&
            presets.back().output == output && presets.back().input == input) {
            presets.back().levels |= level;
            continue;
        }
        presets.append({frame, output, input, level});
    }
    return presets;
}

bool TakePresets::clear()
{
    if (m_inputs.empty())
        return false;
    m_inputs.clear();
    emit changed();
    return true;
}

} // namespace corvantis

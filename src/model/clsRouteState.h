#pragma once

#include <cstdint>

namespace corvantis {

// What one physical output is connected to on the video and the audio level. Inputs are
// physical input numbers of the owning router; -1 means none or unknown.
class clsRouteState {
public:
    // The effective audio source differs from the video source, or is unknown.
    bool AudioSplit = false;
    // Copy of the owning router's flag, taken when the router creates the object.
    bool AudioBreakaway = false;

    std::int16_t Video() const { return m_video; }
    // Audio follows video unless the two were split.
    std::int16_t Audio() const { return AudioSplit ? m_audio : m_video; }
    void SetVideo(std::int16_t input);
    void SetAudio(std::int16_t input);
    // Takes the source's video and effective audio; the flags stay as they are.
    void CopyFrom(const clsRouteState &source);

private:
    std::int16_t m_video = -1;
    std::int16_t m_audio = -1;
};

} // namespace corvantis

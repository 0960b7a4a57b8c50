#include "model/clsRouteState.h"

namespace corvantis {

void clsRouteState::SetVideo(std::int16_t input)
{
    m_video = input;
    const auto audio = Audio();
    AudioSplit = m_audio != input || audio < 0;
}

void clsRouteState::SetAudio(std::int16_t input)
{
    const bool wasSplit = AudioSplit;
    m_audio = input;
    const auto audio = wasSplit ? input : m_video;
    AudioSplit = m_video >= 0 && (input != m_video || audio < 0);
}

void clsRouteState::CopyFrom(const clsRouteState &source)
{
    m_video = source.Video();
    m_audio = source.Audio();
}

} // namespace corvantis

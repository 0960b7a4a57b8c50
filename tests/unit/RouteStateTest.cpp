#include "model/clsRouteState.h"

#include <gtest/gtest.h>
#include <vector>

using namespace corvantis;

namespace {

// One write and what the object must report after it.
struct Step {
    char level; // 'V' video, 'A' audio
    std::int16_t input;
    std::int16_t video;
    std::int16_t audio;
    bool split;
};

void play(clsRouteState &state, const std::vector<Step> &steps)
{
    for (std::size_t n = 0; n < steps.size(); ++n) {
        const auto &s = steps[n];
        if (s.level == 'V')
            state.SetVideo(s.input);
        else
            state.SetAudio(s.input);
        SCOPED_TRACE("step " + std::to_string(n));
        EXPECT_EQ(state.Video(), s.video);
        EXPECT_EQ(state.Audio(), s.audio);
        EXPECT_EQ(state.AudioSplit, s.split);
    }
}

} // namespace

TEST(RouteState, WritesJoinAndSplitTheLevels)
{
    clsRouteState fresh;
    EXPECT_EQ(fresh.Video(), -1);
    EXPECT_EQ(fresh.Audio(), -1);
    // Video then audio joins the levels.
    play(fresh, {{'V', 3, 3, -1, true}, {'A', 3, 3, 3, false}, {'V', 5, 5, 3, true}});
    // Audio without video stays unsplit.
    clsRouteState audioFirst;
    play(audioFirst, {{'A', 2, -1, -1, false}, {'V', 2, 2, 2, false}});
    clsRouteState state;
    play(state, {{'V', 3, 3, -1, true},
                 {'A', 5, 3, 5, true},
                 // level 3: video then audio to the same input joins them again
                 {'V', 7, 7, 5, true},
                 {'A', 7, 7, 7, false},
                 // level 1 disconnect leaves the audio where it was
                 {'V', -1, -1, 7, true},
                 {'A', -1, -1, -1, false}});
}

TEST(RouteState, CopyFromTakesEffectiveAudioAndKeepsFlags)
{
    clsRouteState source;
    source.SetVideo(4);
    source.SetAudio(6);
    ASSERT_TRUE(source.AudioSplit);

    clsRouteState target;
    target.AudioBreakaway = true;
    target.CopyFrom(source);
    EXPECT_EQ(target.Video(), 4);
    EXPECT_EQ(target.Audio(), 4);
    EXPECT_FALSE(target.AudioSplit);
    EXPECT_TRUE(target.AudioBreakaway);
    // The stored audio came across and shows once a write splits the levels again.
    play(target, {{'V', 4, 4, 6, true}});
}

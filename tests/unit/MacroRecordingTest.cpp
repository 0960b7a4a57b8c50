#include "config/MacroRecording.h"

#include "config/MacroStore.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

using namespace corvantis;

namespace {

using Steps = std::vector<std::uint32_t>;

class MacroRecordingTest : public ::testing::Test {
protected:
    test::ScriptedPlatform m_platform;
    MacroRecording m_recording;
};

} // namespace

TEST_F(MacroRecordingTest, RepeatedRouteMovesToTheEndWithItsNewLevel)
{
    m_recording.ClearRecording();
    m_recording.RecordRoute(1, 4, -1, 3);
    m_recording.RecordRoute(0, 2, 5, 1);
    m_recording.RecordRoute(1, 4, 255, 2); // no input, written either way
    m_recording.RecordRoute(0, 2, 6, 1);   // another input is another route
    EXPECT_EQ(m_recording.steps(),
              (Steps{MacroStep::Pack(0, 2, 5, 1), MacroStep::Pack(1, 4, 255, 2),
                     MacroStep::Pack(0, 2, 6, 1)}));
}

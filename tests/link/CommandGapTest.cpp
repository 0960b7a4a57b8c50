// The gap after every command is the configuration's: on the wire the routes of one batch go
// out one at a time, each after the acknowledgement of the one before and the gap after it.
#include "CoreRig.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

using namespace corvantis;
using namespace corvantis::test;

namespace {

constexpr int kRoutes = 6;
constexpr int kLateMs = 30;
// The line's own timers may end a little early.
constexpr double kSlack = 0.002;

class CommandGapTest : public ::testing::TestWithParam<float> {};

TEST_P(CommandGapTest, FramesOfABatchAreTheAcknowledgementAndTheGapApart)
{
    const float gap = GetParam();
    CoreRig rig;
    ASSERT_TRUE(rig.opened);
    rig.core.settings().CommandGap = gap;
    // A reply held back shows whether the next route waits for it.
    rig.line.setLateMs(kLateMs);
    QList<AppCore::RouteRequest> routes;
    QList<QByteArray> expected;
    for (int output = 0; output < kRoutes; ++output) {
        routes.append({0, output, output + 3});
        expected << CoreRig::route(output, output + 3);
    }
    ASSERT_TRUE(rig.core.SubmitRoutes(QStringLiteral("Batch"), routes, {}));
    ASSERT_TRUE(rig.settle());
    ASSERT_EQ(rig.line.receivedFrames(), expected);

    const auto times = rig.line.receivedTimes();
    std::vector<double> apart;
    for (qsizetype i = 1; i < times.size(); ++i)
        apart.push_back(std::chrono::duration<double>(times[i] - times[i - 1]).count());
    std::sort(apart.begin(), apart.end());
    const double least = kLateMs / 1000.0 + gap;
    EXPECT_GE(apart.front(), least - kSlack);
    // Generous: only tells the configured gap from the default one, it times nothing.
    EXPECT_LT(apart[apart.size() / 2], least + 0.1);
}

INSTANTIATE_TEST_SUITE_P(Gaps, CommandGapTest,
                         ::testing::Values(0.0f, 0.05f, Settings::kDefaultCommandGap));

} // namespace

#include "model/clsRouter.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

using namespace corvantis;

namespace {

class RouterTest : public ::testing::Test {
protected:
    test::ScriptedPlatform platform;
    clsRouter router;
};

} // namespace

TEST_F(RouterTest, ShrinkingAndGrowingCountsKeepsSurvivingNamesAndStates)
{
    for (int i = 0; i <= 15; ++i)
        router.SetRouterInName(i, "Src " + std::to_string(i));
    router.SetInputCount(3);
    router.SetInputCount(15);
    EXPECT_EQ(router.RouterInName(3), "Src 3");
    EXPECT_EQ(router.RouterInName(4), "In 05");
    EXPECT_EQ(router.RouterInName(15), "In 16");

    auto *kept = router.RouteState(1);
    router.RouteState(2)->SetVideo(4);
    router.SetOutputCount(1);
    EXPECT_EQ(router.RouteState(2), nullptr);
    router.SetOutputCount(15);
    EXPECT_EQ(router.RouteStateIfAny(2), nullptr);
    EXPECT_EQ(router.RouteState(1), kept);
    EXPECT_EQ(router.RouterOutName(2), "Out 03");
}

// The setup dialog edits copies; what the routers hold must survive its OK.
TEST_F(RouterTest, CopyKeepsNamesAndRouteStates)
{
    router.SetRouterInName(2, "Camera");
    router.RouteState(4)->SetVideo(7);
    router.RouteState(4)->SetAudio(3);
    const clsRouter copy(router);
    EXPECT_EQ(copy.RouterInName(2), "Camera");
    ASSERT_NE(copy.RouteStateIfAny(4), nullptr);
    EXPECT_EQ(std::pair(copy.RouteStateIfAny(4)->Video(), copy.RouteStateIfAny(4)->Audio()),
              (std::pair<std::int16_t, std::int16_t>(7, 3)));
}

TEST_F(RouterTest, RefusedValueKeepsTheOldOneAndSaysDataError)
{
    using Set = void (clsRouter::*)(int);
    using Get = std::int16_t (clsRouter::*)() const;
    const struct {
        Set set;
        Get get;
        int accepted, refused;
        const char *message;
    } cases[] = {
        {&clsRouter::SetRouterType, &clsRouter::RouterType, -1, 16, "Router Type out of range"},
        {&clsRouter::SetRouterType, &clsRouter::RouterType, 15, -2, "Router Type out of range"},
        {&clsRouter::SetFrameAddress, &clsRouter::FrameAddress, 15, -1,
         "Frame Address out of range"},
        {&clsRouter::SetFrameAddress, &clsRouter::FrameAddress, 0, 16,
         "Frame Address out of range"},
        {&clsRouter::SetInputCount, &clsRouter::InputCount, 126, 127, "Input count out of range"},
        {&clsRouter::SetOutputCount, &clsRouter::OutputCount, 0, -1, "Output count out of range"},
        {&clsRouter::SetMapIn, &clsRouter::mapIn, 111, 112, "MatIn out of range"},
        {&clsRouter::SetMapOut, &clsRouter::mapOut, 0, -1, "MatOut out of range"},
    };
    for (const auto &c : cases) {
        platform.clear();
        clsRouter fresh;
        (fresh.*c.set)(c.accepted);
        EXPECT_FALSE(fresh.wasError()) << c.message;
        (fresh.*c.set)(c.refused);
        EXPECT_EQ((fresh.*c.get)(), c.accepted) << c.message;
        EXPECT_EQ(platform.messageTexts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(fresh.wasError());
    }
}

TEST_F(RouterTest, NameWithSemicolonIsRefusedWithoutRaisingWasError)
{
    router.SetRouterInName(1, "a;b");
    router.SetRouterOutName(1, ";");
    router.SetRouterOutName(2, "");
    router.SetRouterInName(16, "beyond");
    EXPECT_EQ(
        (std::vector{router.RouterInName(1), router.RouterOutName(1), router.RouterOutName(2)}),
        (std::vector<std::string>{"In 02", "Out 02", ""}));
    EXPECT_FALSE(router.wasError());
    EXPECT_EQ(platform.messageTexts(),
              (std::vector<std::string>{"Invalid input name: cannot have semicolons (;)",
                                        "Invalid Output name: cannot have semicolons (;)"}));
}

TEST_F(RouterTest, StringValFillsMissingNamesTrimsRoundsHalfToEvenAndRefusesOverflow)
{
    router.SetStringVal(" 2.5 ; 1.5; 2; 1; x; 0; 1;  Left  ;Mid");
    EXPECT_TRUE(router.isValid());
    EXPECT_EQ(router.RouterType(), 2);
    EXPECT_EQ(router.FrameAddress(), 2);
    EXPECT_EQ(router.mapIn(), 0);
    EXPECT_TRUE(router.AudioBreakaway);
    EXPECT_EQ((std::vector{router.RouterInName(0), router.RouterInName(1), router.RouterInName(2),
                           router.RouterOutName(1)}),
              (std::vector<std::string>{"Left", "Mid", "", ""}));

    // A number that does not fit is reported under the parser's label and also invalidates
    // the line, so the loader does not keep a router whose field was lost.
    clsRouter other;
    other.SetStringVal("99999; 1; 3; 3; 0; 0; 0;");
    EXPECT_FALSE(other.isValid());
    EXPECT_EQ(other.RouterType(), -1);
    EXPECT_EQ(other.FrameAddress(), 1);
    EXPECT_EQ(platform.messageTexts(), std::vector<std::string>{"Error: Overflow"});
}

TEST(RouterOffsets, GrowingACountKeepsEveryPortInsideTheMatrix)
{
    test::ScriptedPlatform platform;
    clsRouter router;
    router.SetMapIn(100);
    router.SetMapOut(111);
    router.SetInputCount(63);
    router.SetOutputCount(31);
    EXPECT_EQ(router.MapInput(router.InputCount()), 126);
    EXPECT_EQ(router.MapOutput(router.OutputCount()), 126);

    clsRouter reloaded;
    reloaded.SetStringVal(router.StringVal());
    EXPECT_TRUE(reloaded.isValid());
    EXPECT_EQ(reloaded.mapIn(), 63);
    EXPECT_EQ(reloaded.mapOut(), 95);
    EXPECT_TRUE(platform.messages.empty());
}

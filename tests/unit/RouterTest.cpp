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
    router.SetRouterInName(3, "Src 3");
    router.SetRouterInName(4, "Src 4");
    router.RouteState(1)->SetVideo(4);
    router.RouteState(2)->SetVideo(4);
    router.SetInputCount(3);
    router.SetOutputCount(1);
    router.SetInputCount(15);
    router.SetOutputCount(15);
    EXPECT_EQ(std::pair(router.RouterInName(3), router.RouterInName(4)),
              (std::pair<std::string, std::string>("Src 3", "In 05")));
    EXPECT_EQ(router.RouteStateIfAny(2), nullptr);
    EXPECT_EQ(router.RouteState(1)->Video(), 4);
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

TEST_F(RouterTest, NameWithSemicolonOrControlCharacterIsRefusedWithoutRaisingWasError)
{
    router.SetRouterInName(1, "a;b");
    router.SetRouterOutName(1, ";");
    router.SetRouterInName(2, "1 Cam\rPort Address: socket://192.0.2.66:4000");
    router.SetRouterOutName(3, "Desk\x7F");
    router.SetRouterOutName(2, "");
    router.SetRouterInName(16, "beyond");
    EXPECT_EQ((std::vector{router.RouterInName(1), router.RouterOutName(1), router.RouterInName(2),
                           router.RouterOutName(3), router.RouterOutName(2)}),
              (std::vector<std::string>{"In 02", "Out 02", "In 03", "Out 04", ""}));
    EXPECT_FALSE(router.wasError());
    const std::string in = "Invalid input name: cannot have semicolons (;)";
    const std::string out = "Invalid Output name: cannot have semicolons (;)";
    EXPECT_EQ(platform.messageTexts(), (std::vector<std::string>{in, out, in, out}));
}

TEST_F(RouterTest, StringValFillsMissingNamesTrimsAndRoundsHalfToEven)
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
}

// Every port must land on a logical number from 0 to 126. A refused field keeps its old value,
// parsing goes on, and the line is invalid so the loader does not keep a router missing a field.
TEST_F(RouterTest, StringValRefusesCountsAndOffsetsThatLeaveTheMatrix)
{
    const std::string in = "MatIn out of range", out = "MatOut out of range";
    const struct {
        const char *text;
        const char *kept;
        std::vector<std::string> messages; // none: valid
    } cases[] = {
        {"3; 0; 15; 15; 111; 111; 0;", "3; 0; 15; 15; 111; 111; 0;", {}},
        {"3; 0; 15; 15; 112; 112; 0;", "3; 0; 15; 15; 0; 0; 0;", {in, out}},
        {"3; 0; 15; 15; -1; -1; 0;", "3; 0; 15; 15; 0; 0; 0;", {in, out}},
        {"3; 0; 126; 126; 0; 0; -1;", "3; 0; 126; 126; 0; 0; -1;", {}},
        {"3; 0; 127; 127; 0; 0; 0;",
         "3; 0; 15; 15; 0; 0; 0;",
         {"Input count out of range", "Output count out of range"}},
        // A number that does not fit is reported under the parser's label.
        {"99999; 1; 3; 3; 0; 0; 0;", "-1; 1; 3; 3; 0; 0; 0;", {"Error: Overflow"}},
    };
    for (const auto &c : cases) {
        platform.clear();
        clsRouter read;
        read.SetStringVal(c.text);
        EXPECT_EQ(read.isValid(), c.messages.empty()) << c.text;
        EXPECT_EQ(read.StringVal().rfind(c.kept, 0), 0u) << c.text << " -> " << read.StringVal();
        EXPECT_EQ(platform.messageTexts(), c.messages) << c.text;
    }
}

#include "config/RouterCatalog.h"

#include "model/clsRouter.h"
#include "support/ScriptedPlatform.h"
#include "util/RuntimeError.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace corvantis;

namespace {

// Records every effect on the dialog and the main window, in order.
class RecordingHost : public ModelApplyHost {
public:
    int selectedModel() const override { return selected; }
    void selectModel(int typeCode) override
    {
        calls.push_back("model " + std::to_string(typeCode));
    }
    void selectCommType(int commType) override
    {
        calls.push_back("comm " + std::to_string(commType));
    }
    void showFamilyLabel(std::string_view label) override
    {
        calls.push_back("label " + std::string(label));
    }
    bool advancedMode() const override { return advanced; }
    void autoOutputMapping() override
    {
        calls.push_back("mapping");
        if (failMapping)
            throw RuntimeError(kOverflow);
    }
    void beep() override { calls.push_back("beep"); }

    int selected = 0;
    bool advanced = false;
    bool failMapping = false;
    std::vector<std::string> calls;
};

class RouterCatalogTest : public ::testing::Test {
protected:
    void apply(clsRouter &router, int typeCode)
    {
        host.selected = typeCode;
        RouterCatalog::ApplyModel(router, typeCode, host);
    }

    test::ScriptedPlatform platform;
    RecordingHost host;
    clsRouter router;
};

} // namespace

TEST_F(RouterCatalogTest, ApplyingVexa4x4ShrinksCountsKeepsNamesAndRunsStepsInOrder)
{
    router.SetRouterInName(2, "Camera");
    apply(router, 5);
    EXPECT_EQ(router.InputCount(), 3);
    EXPECT_EQ(router.OutputCount(), 3);
    EXPECT_EQ(router.RouterInName(2), "Camera");
    EXPECT_EQ(router.RouterInName(3), "In 04");
    EXPECT_EQ(router.RouterType(), 5);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"comm 1", "label Vexa", "comm 1", "mapping"}));
    EXPECT_TRUE(platform.messages.empty());

    // Advanced mode keeps the output mapping.
    host.calls.clear();
    host.advanced = true;
    apply(router, 8);
    EXPECT_EQ(router.InputCount(), 31);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"comm 1", "label Vexa", "comm 1"}));
}

TEST_F(RouterCatalogTest, NoSelectionBeepsRestoresTheListAndChangesNothing)
{
    router.SetRouterType(7);
    host.selected = -1;
    RouterCatalog::ApplyModel(router, 5, host);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"beep", "model 7"}));
    EXPECT_EQ(router.RouterType(), 7);
    EXPECT_EQ(router.InputCount(), 15);
}

TEST_F(RouterCatalogTest, RunTimeFailureIsReportedAndTheRestStillApplies)
{
    host.failMapping = true;
    apply(router, 4);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Error: Overflow");
    EXPECT_EQ(platform.messages[0].title, "Function cboRouter_Click");
    EXPECT_EQ(platform.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(router.RouterType(), 4);
}

TEST_F(RouterCatalogTest, UnknownTypeCodeIsReportedOnceAndKeepsTheCounts)
{
    apply(router, 16);
    EXPECT_EQ(platform.messageTexts(), (std::vector<std::string>{"Error: Subscript out of range",
                                                                 "Router Type out of range"}));
    EXPECT_EQ(router.InputCount(), 15);
    EXPECT_EQ(router.RouterType(), -1);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"comm 1", "mapping"}));
}

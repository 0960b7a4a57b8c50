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
        lastCommType = commType;
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
    int lastCommType = -1;
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

TEST(RouterCatalog, EntriesAreSquareIndexedByCodeAndTypeAOnlyFor013)
{
    const auto &models = RouterCatalog::models();
    for (int k = 0; k < RouterCatalog::kModelCount; ++k) {
        const auto &m = models[static_cast<std::size_t>(k)];
        EXPECT_EQ(m.typeCode, k);
        EXPECT_EQ(RouterCatalog::model(k), &m);
        EXPECT_EQ(m.inputs, m.outputs) << m.modelName;
        EXPECT_EQ(m.commType, (k == 0 || k == 1 || k == 3) ? 0 : 1) << m.modelName;
        EXPECT_EQ(RouterCatalog::commTypeFor(k), m.commType);
        EXPECT_EQ(RouterCatalog::familyLabel(k), m.familyLabel);
    }
    EXPECT_EQ(models[2].modelName, "Palomir 8x8");
    EXPECT_EQ(models[15].modelName, "Lorrin 64x64");
    EXPECT_EQ(RouterCatalog::model(-1), nullptr);
    EXPECT_EQ(RouterCatalog::model(16), nullptr);
    EXPECT_EQ(RouterCatalog::familyLabel(16), "");
}

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
}

TEST_F(RouterCatalogTest, FramingFollowsTheModelChosenLast)
{
    apply(router, 3);
    EXPECT_EQ(host.lastCommType, 0);
    EXPECT_EQ(host.calls.at(1), "label Palomir");
    apply(router, 2);
    EXPECT_EQ(host.lastCommType, 1);

    // One line, one framing: a second router's choice overrides the first's.
    clsRouter other;
    apply(other, 15);
    apply(router, 0);
    EXPECT_EQ(host.lastCommType, 0);
    EXPECT_EQ(other.InputCount(), 63);
    EXPECT_EQ(other.OutputCount(), 63);
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

TEST_F(RouterCatalogTest, AdvancedModeKeepsTheOutputMapping)
{
    host.advanced = true;
    apply(router, 8);
    EXPECT_EQ(router.InputCount(), 31);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"comm 1", "label Vexa", "comm 1"}));
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

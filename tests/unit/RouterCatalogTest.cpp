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

// Stored files carry the type code: each code must keep its model, label, size and framing.
struct Model {
    int code;
    const char *name;
    const char *family;
    int inputs, outputs;
    int commType;
};

constexpr Model kCatalog[] = {
    {0, "Kestrin-X", "Kestrin-X", 16, 16, 0},  {1, "Kestrin-V", "Kestrin-V", 16, 16, 0},
    {2, "Palomir 8x8", "Palomir", 8, 8, 1},    {3, "Palomir 16x16", "Palomir", 16, 16, 0},
    {4, "Grandevel", "Grandevel", 16, 16, 1},  {5, "Vexa 4x4", "Vexa", 4, 4, 1},
    {6, "Vexa 8x8", "Vexa", 8, 8, 1},          {7, "Vexa 16x16", "Vexa", 16, 16, 1},
    {8, "Vexa 32x32", "Vexa", 32, 32, 1},      {9, "Orla 4x4", "Orla", 4, 4, 1},
    {10, "Orla 8x8", "Orla", 8, 8, 1},         {11, "Orla 16x16", "Orla", 16, 16, 1},
    {12, "Orla 32x32", "Orla", 32, 32, 1},     {13, "Lorrin 8x8", "Lorrin", 8, 8, 1},
    {14, "Lorrin 16x16", "Lorrin", 16, 16, 1}, {15, "Lorrin 64x64", "Lorrin", 64, 64, 1},
};

class RouterCatalogTest : public ::testing::Test {
protected:
    void apply(int typeCode)
    {
        host.selected = typeCode;
        RouterCatalog::ApplyModel(router, typeCode, host);
    }

    test::ScriptedPlatform platform;
    RecordingHost host;
    clsRouter router;
};

} // namespace

TEST_F(RouterCatalogTest, EachTypeCodeAppliesItsModelLabelSizeAndFraming)
{
    ASSERT_EQ(RouterCatalog::models().size(), std::size(kCatalog));
    router.SetRouterInName(2, "Camera");
    for (const Model &m : kCatalog) {
        SCOPED_TRACE(m.name);
        host.calls.clear();
        apply(m.code);
        EXPECT_EQ(RouterCatalog::model(m.code)->modelName, m.name);
        EXPECT_EQ(router.RouterType(), m.code);
        EXPECT_EQ(router.InputCount() + 1, m.inputs);
        EXPECT_EQ(router.OutputCount() + 1, m.outputs);
        const std::string comm = "comm " + std::to_string(m.commType);
        EXPECT_EQ(host.calls, (std::vector<std::string>{comm, "label " + std::string(m.family),
                                                        comm, "mapping"}));
    }
    // Shrinking to four inputs and growing again keeps the names that survived.
    EXPECT_EQ(router.RouterInName(2), "Camera");
    EXPECT_TRUE(platform.messages.empty());

    host.calls.clear();
    host.advanced = true; // advanced mode keeps the operator's output mapping
    apply(5);
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

TEST_F(RouterCatalogTest, FailuresAreReportedAndTheRestStillApplies)
{
    host.failMapping = true;
    apply(4);
    EXPECT_EQ(platform.messageTexts(), std::vector<std::string>{"Error: Overflow"});
    EXPECT_EQ(platform.messages[0].title, "Function cboRouter_Click");
    EXPECT_EQ(router.RouterType(), 4);

    platform.clear();
    host.calls.clear();
    host.failMapping = false;
    apply(16);
    EXPECT_EQ(platform.messageTexts(), (std::vector<std::string>{"Error: Subscript out of range",
                                                                 "Router Type out of range"}));
    EXPECT_EQ(router.RouterType(), 4);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"comm 1", "mapping"}));
}

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
        host.calls.clear();
        host.selected = typeCode;
        RouterCatalog::ApplyModel(router, typeCode, host);
    }

    test::ScriptedPlatform platform;
    RecordingHost host;
    clsRouter router;
};

struct CatalogRow {
    int code;
    const char *name;
    const char *family;
    int ports;
    ModelTraits traits;
};

constexpr ModelTraits kA{.commType = 0};
constexpr ModelTraits kB{};

// Stored configuration files carry these codes: a row that moves breaks every saved setup.
constexpr CatalogRow kCatalog[] = {
    {0, "Kestrin-X", "Kestrin-X", 16, kA},
    {1, "Kestrin-V", "Kestrin-V", 16, kA},
    {2, "Palomir 8x8", "Palomir", 8, kB},
    {3, "Palomir 16x16", "Palomir", 16, {.commType = 0, .statusRequests = false}},
    {4, "Grandevel", "Grandevel", 16, {.alivePoll = true, .rsSwitching = true}},
    {5, "Vexa 4x4", "Vexa", 4, kB},
    {6, "Vexa 8x8", "Vexa", 8, kB},
    {7, "Vexa 16x16", "Vexa", 16, kB},
    {8, "Vexa 32x32", "Vexa", 32, kB},
    {9, "Orla 4x4", "Orla", 4, kB},
    {10, "Orla 8x8", "Orla", 8, kB},
    {11, "Orla 16x16", "Orla", 16, kB},
    {12, "Orla 32x32", "Orla", 32, kB},
    {13, "Lorrin 8x8", "Lorrin", 8, {.rsSwitching = true}},
    {14, "Lorrin 16x16", "Lorrin", 16, {.rsSwitching = true}},
    {15, "Lorrin 64x64", "Lorrin", 64, kB},
};

} // namespace

TEST_F(RouterCatalogTest, EveryModelHasItsCodeNameCountsFramingAndTraits)
{
    ASSERT_EQ(std::size(kCatalog), std::size_t{RouterCatalog::kModelCount});
    for (const CatalogRow &row : kCatalog) {
        SCOPED_TRACE(row.name);
        const RouterModel *entry = RouterCatalog::model(row.code);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->typeCode, row.code);
        EXPECT_EQ(entry->modelName, row.name);
        EXPECT_EQ(RouterCatalog::familyLabel(row.code), row.family);
        EXPECT_EQ(RouterCatalog::traits(row.code), row.traits);
        // Only the Type A models go without a status request at start-up.
        EXPECT_EQ(row.traits.startupStatusRequest(), row.traits.commType != 0);

        apply(router, row.code);
        EXPECT_EQ(router.InputCount(), row.ports - 1);
        EXPECT_EQ(router.OutputCount(), row.ports - 1);
        EXPECT_EQ(router.RouterType(), row.code);
        // The framing is chosen once, from the model's own entry.
        EXPECT_EQ(host.calls,
                  (std::vector<std::string>{"comm " + std::to_string(row.traits.commType),
                                            "label " + std::string(row.family), "mapping"}));
    }
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(RouterCatalogTest, UnknownTypeCodeIsReportedOnceAndChangesNoFraming)
{
    apply(router, 16);
    EXPECT_EQ(platform.messageTexts(), (std::vector<std::string>{"Error: Subscript out of range",
                                                                 "Router Type out of range"}));
    EXPECT_EQ(router.InputCount(), 15);
    EXPECT_EQ(router.RouterType(), -1);
    EXPECT_EQ(host.calls, std::vector<std::string>{"mapping"});
}

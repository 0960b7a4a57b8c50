#include "config/RouterCatalog.h"

#include "model/clsRouter.h"
#include "util/ReportFailure.h"
#include "util/RuntimeError.h"

#include <string>

namespace corvantis {

namespace {

constexpr ModelTraits kTypeAModel{.commType = 0};
constexpr ModelTraits kTypeBModel{};
constexpr ModelTraits kTypeAWithoutStatus{.commType = 0, .statusRequests = false};
constexpr ModelTraits kTypeBAliveRs{.alivePoll = true, .rsSwitching = true};
constexpr ModelTraits kTypeBRs{.rsSwitching = true};

// The position is the type code stored in configuration files: append only, never reorder.
constexpr std::array<RouterModel, RouterCatalog::kModelCount> kModels{{
    {0, "Kestrin-X", "Kestrin-X", 16, 16, kTypeAModel},
    {1, "Kestrin-V", "Kestrin-V", 16, 16, kTypeAModel},
    {2, "Palomir 8x8", "Palomir", 8, 8, kTypeBModel},
    {3, "Palomir 16x16", "Palomir", 16, 16, kTypeAWithoutStatus},
    {4, "Grandevel", "Grandevel", 16, 16, kTypeBAliveRs},
    {5, "Vexa 4x4", "Vexa", 4, 4, kTypeBModel},
    {6, "Vexa 8x8", "Vexa", 8, 8, kTypeBModel},
    {7, "Vexa 16x16", "Vexa", 16, 16, kTypeBModel},
    {8, "Vexa 32x32", "Vexa", 32, 32, kTypeBModel},
    {9, "Orla 4x4", "Orla", 4, 4, kTypeBModel},
    {10, "Orla 8x8", "Orla", 8, 8, kTypeBModel},
    {11, "Orla 16x16", "Orla", 16, 16, kTypeBModel},
    {12, "Orla 32x32", "Orla", 32, 32, kTypeBModel},
    {13, "Lorrin 8x8", "Lorrin", 8, 8, kTypeBRs},
    {14, "Lorrin 16x16", "Lorrin", 16, 16, kTypeBRs},
    {15, "Lorrin 64x64", "Lorrin", 64, 64, kTypeBModel},
}};

// The setup dialog's handlers report a failure and go on with their next statement.
template <typename Step> void reportingFailure(Step &&step)
{
    try {
        step();
    } catch (const RuntimeError &error) {
        ShowFailure("Function cboRouter_Click", error.description());
    }
}

} // namespace

const std::array<RouterModel, RouterCatalog::kModelCount> &RouterCatalog::models()
{
    return kModels;
}

const RouterModel *RouterCatalog::model(int typeCode)
{
    if (typeCode < 0 || typeCode >= kModelCount)
        return nullptr;
    return &kModels[static_cast<std::size_t>(typeCode)];
}

std::string_view RouterCatalog::familyLabel(int typeCode)
{
    const auto *entry = model(typeCode);
    return entry ? entry->familyLabel : std::string_view();
}

ModelTraits RouterCatalog::traits(int typeCode)
{
    const auto *entry = model(typeCode);
    return entry ? entry->traits : ModelTraits{};
}

void RouterCatalog::ApplyModel(clsRouter &router, int typeCode, ModelApplyHost &host)
{
    bool stop = false;
    reportingFailure([&] {
        if (host.selectedModel() != -1)
            return;
        stop = true;
        host.beep();
    });
    if (stop)
        return;

    const RouterModel *entry = nullptr;
    reportingFailure([&] {
        entry = model(typeCode);
        if (!entry)
            throw RuntimeError(kSubscriptOutOfRange);
    });
    // Without an entry there are no counts, framing or label to apply; the rest still runs.
    if (entry) {
        reportingFailure([&] {
            router.SetInputCount(entry->inputs - 1);
            router.SetOutputCount(entry->outputs - 1);
        });
        reportingFailure([&] { host.selectCommType(entry->traits.commType); });
        reportingFailure([&] { host.showFamilyLabel(entry->familyLabel); });
    }
    reportingFailure([&] { router.SetRouterType(typeCode); });
    reportingFailure([&] {
        if (!host.advancedMode())
            host.autoOutputMapping();
    });
}

} // namespace corvantis

#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace corvantis {

class clsRouter;

// What the program does differently for a model, asked for the program-wide
// CurrentRouterType. A code outside the catalog gets the defaults.
struct ModelTraits {
    // Framing chosen with the model: 0 Type A, 1 Type B.
    std::int16_t commType = 1;
    // "Update Matrix" and the five-minute status request.
    bool statusRequests = true;
    // The alive poll and its "Matrix Online" lamp.
    bool alivePoll = false;
    // The RS-232 switching panel.
    bool rsSwitching = false;

    // A Type A model answers a status request with its version only, so start-up asks none.
    constexpr bool startupStatusRequest() const { return commType != 0; }
    friend bool operator==(const ModelTraits &, const ModelTraits &) = default;
};

struct RouterModel {
    std::int16_t typeCode;
    std::string_view modelName;
    std::string_view familyLabel;
    int inputs;
    int outputs;
    ModelTraits traits;
};

// What applying a model touches besides the router: the setup dialog's lists and the main
// window's family label. The dialog implements it; tests use a recording fake.
class ModelApplyHost {
public:
    virtual ~ModelApplyHost() = default;
    // Selected item of the row's model list, -1 when none. Applying nothing leaves the router
    // as it was; the dialog shows its model again when it next presents the row.
    virtual int selectedModel() const = 0;
    virtual void selectCommType(int commType) = 0;
    virtual void showFamilyLabel(std::string_view label) = 0;
    virtual bool advancedMode() const = 0;
    virtual void autoOutputMapping() = 0;
    virtual void beep() = 0;
};

// The sixteen router models the program knows, in type-code order.
class RouterCatalog {
public:
    static constexpr int kModelCount = 16;

    static const std::array<RouterModel, kModelCount> &models();
    // Null for a code outside 0 to 15.
    static const RouterModel *model(int typeCode);
    static std::string_view familyLabel(int typeCode);
    static ModelTraits traits(int typeCode);

    // The setup dialog's "pick a model for this row": counts, framing, label, type and,
    // outside advanced mode, the automatic output layout.
    static void ApplyModel(clsRouter &router, int typeCode, ModelApplyHost &host);
};

} // namespace corvantis

#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace corvantis {

class clsRouter;

struct RouterModel {
    std::int16_t typeCode;
    std::string_view modelName;
    std::string_view familyLabel;
    int inputs;
    int outputs;
    std::int16_t commType; // 0 Type A, 1 Type B
};

// What applying a model touches besides the router: the setup dialog's lists and the main
// window's family label. The dialog implements it; tests use a recording fake.
class ModelApplyHost {
public:
    virtual ~ModelApplyHost() = default;
    // Selected item of the row's model list, -1 when none.
    virtual int selectedModel() const = 0;
    virtual void selectModel(int typeCode) = 0;
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
    // Codes 0, 1 and 3 use Type A, all others Type B.
    static std::int16_t commTypeFor(int typeCode);

    // The setup dialog's "pick a model for this row": counts, framing, label, type and,
    // outside advanced mode, the automatic output layout.
    static void ApplyModel(clsRouter &router, int typeCode, ModelApplyHost &host);
};

} // namespace corvantis

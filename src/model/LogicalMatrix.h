#pragma once

#include "model/RouterTable.h"

#include <array>
#include <cstdint>

namespace corvantis {

// The scroll position of the 16 x 16 view: logical = view + offset.
struct ViewOffsets {
    int input = 0;
    int output = 0;
};

struct PhysicalPort {
    clsRouter *router = nullptr;
    int port = -1;
};

struct PhysicalCrosspoint {
    clsRouter *router = nullptr;
    int output = -1;
    int input = -1;
};

struct ViewCell {
    int output = 0;
    int input = 0;
};

// All routers laid out as one matrix of up to 128 x 128 logical ports, and every conversion
// between view, logical and physical coordinates. A logical number outside 0 to 127 or an
// owner slot outside 0 to 15 throws RuntimeError("Subscript out of range") for the caller to
// report.
class LogicalMatrix {
public:
    static constexpr int kSize = 128;

    explicit LogicalMatrix(const RouterTable &routers) : m_routers(routers) { clear(); }

    // Rebuilds the ownership tables. In the paired layout a slot that the default-name
    // replacement needs but that is empty throws RuntimeError; the tables are then partial.
    void BuildLogicalMatrix(bool matrixSize);

    int InputRouter(int logicalInput) const;
    int OutputRouter(int logicalOutput) const;
    int MaxInput() const { return m_maxInput; }
    int MaxOutput() const { return m_maxOutput; }
    bool AnyAudioBreakaway() const { return m_anyAudioBreakaway; }

    // Normal layout.
    PhysicalPort cvMatOutToPhy1(int viewOutput, ViewOffsets offsets) const;
    int cvPhyOutToMat(int physicalOutput, const clsRouter &router, ViewOffsets offsets) const;
    PhysicalPort cvMatInToPhy1(int viewInput, ViewOffsets offsets) const;
    int cvMatInToPhy2(int viewInput, const clsRouter *router, ViewOffsets offsets) const;
    int cvPhyInToMat(int physicalInput, const clsRouter &router, ViewOffsets offsets) const;

    // Paired layout. The router is null when the pair's odd slot is empty; callers check it.
    PhysicalCrosspoint cvLgMrxMatToPhy(int viewOutput, int viewInput, ViewOffsets offsets) const;
    PhysicalPort cvLgMrxMatToPhy_(int viewOutput, ViewOffsets offsets) const;
    PhysicalCrosspoint cvLgMrxMapToPhy(int logicalOutput, int logicalInput) const;
    ViewCell cvLgMrxPhyToMat(int physicalOutput, int physicalInput, const clsRouter &router,
                             ViewOffsets offsets) const;
    PhysicalPort cvMatInToNameIn(int viewInput, ViewOffsets offsets) const;
    PhysicalPort cvMatOutToNameOut(int viewOutput, ViewOffsets offsets) const;

    static int PairPartner(int frameAddress)
    {
        return frameAddress % 2 == 0 ? frameAddress + 1 : frameAddress - 1;
    }

private:
    void clear();
    void buildNormal();
    void buildPaired();
    clsRouter *ownerRouter(int slot) const;

    const RouterTable &m_routers;
    std::array<std::int16_t, kSize> m_inputRouter{};
    std::array<std::int16_t, kSize> m_outputRouter{};
    int m_maxInput = -1;
    int m_maxOutput = -1;
    bool m_anyAudioBreakaway = false;
};

} // namespace corvantis

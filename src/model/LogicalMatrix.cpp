#include "model/LogicalMatrix.h"

#include "util/GeneralFunctions.h"
#include "util/Numbers.h"
#include "util/RuntimeError.h"
#include "util/TextCodec.h"

#include <string>

namespace corvantis {

namespace {

int checkedLogical(int logical)
{
    if (logical < 0 || logical >= LogicalMatrix::kSize)
        throw RuntimeError(kSubscriptOutOfRange);
    return logical;
}

// A name the operator never changed ("In 05", "out 12") gets the paired layout's name. The
// prefix is given in lower case.
bool isDefaultName(std::string_view name, std::string_view prefix, std::size_t length)
{
    return Utf8Length(name) == length && ToLowerAscii(name.substr(0, prefix.size())) == prefix;
}

// "Input " + 5 gives "Input 05"; logical numbers lie in 0 to 127.
std::string pairedName(std::string_view prefix, int logical)
{
    return std::string(prefix) + AtLeastTwoDigits(logical);
}

} // namespace

void LogicalMatrix::clear()
{
    m_inputRouter.fill(-1);
    m_outputRouter.fill(-1);
    m_maxInput = -1;
    m_maxOutput = -1;
    m_anyAudioBreakaway = false;
}

void LogicalMatrix::BuildLogicalMatrix(bool matrixSize)
{
    clear();
    if (matrixSize)
        buildPaired();
    else
        buildNormal();
}

void LogicalMatrix::buildNormal()
{
    for (int s = RouterTable::kSlots - 1; s >= 0; --s) {
        const auto *router = m_routers.at(s);
        if (!router)
            continue;
        for (int p = 0; p <= router->InputCount(); ++p) {
            const int m = router->MapInput(p);
            if (m > -1) {
                m_inputRouter[static_cast<std::size_t>(checkedLogical(m))] =
                    static_cast<std::int16_t>(s);
                m_maxInput = std::max(m_maxInput, m);
            }
        }
        for (int p = 0; p <= router->OutputCount(); ++p) {
            const int m = router->MapOutput(p);
            if (m > -1) {
                m_outputRouter[static_cast<std::size_t>(checkedLogical(m))] =
                    static_cast<std::int16_t>(s);
                m_maxOutput = std::max(m_maxOutput, m);
            }
        }
        m_anyAudioBreakaway = m_anyAudioBreakaway || router->AudioBreakaway;
    }
}

void LogicalMatrix::buildPaired()
{
    m_maxInput = 31;
    m_maxOutput = 16 * ((m_routers.MaxRouter() + 1) / 2) - 1;
    for (int i = 0; i <= m_maxInput; ++i) {
        m_inputRouter[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i & 1);
        auto *router = ownerRouter(i & 1);
        if (isDefaultName(router->RouterInName(i / 2), "in ", 5))
            router->SetRouterInName(i / 2, pairedName("Input ", i));
    }
    for (int o = 0; o <= m_maxOutput; ++o) {
        const int slot = 2 * (o / 16);
        m_outputRouter[static_cast<std::size_t>(o)] = static_cast<std::int16_t>(slot);
        auto *router = ownerRouter(slot);
        if (isDefaultName(router->RouterOutName(o & 15), "out ", 6))
            router->SetRouterOutName(o & 15, pairedName("Output ", o));
    }
}

clsRouter *LogicalMatrix::ownerRouter(int slot) const
{
    if (slot < 0 || slot >= RouterTable::kSlots)
        throw RuntimeError(kSubscriptOutOfRange);
    auto *router = m_routers.at(slot);
    if (!router)
        throw RuntimeError(std::string(kObjectNotSet) + " (no router at frame address " +
                           std::to_string(slot) + ")");
    return router;
}

int LogicalMatrix::InputRouter(int logicalInput) const
{
    return m_inputRouter[static_cast<std::size_t>(checkedLogical(logicalInput))];
}

int LogicalMatrix::OutputRouter(int logicalOutput) const
{
    return m_outputRouter[static_cast<std::size_t>(checkedLogical(logicalOutput))];
}

PhysicalPort LogicalMatrix::cvMatOutToPhy1(int viewOutput, ViewOffsets offsets) const
{
    const int o = viewOutput + offsets.output;
    const int s = OutputRouter(o);
    if (s == -1)
        return {};
    auto *router = m_routers.at(s);
    return {router, router ? router->phyOut(o) : -1};
}

int LogicalMatrix::cvPhyOutToMat(int physicalOutput, const clsRouter &router,
                                 ViewOffsets offsets) const
{
    return router.MapOutput(physicalOutput) - offsets.output;
}

PhysicalPort LogicalMatrix::cvMatInToPhy1(int viewInput, ViewOffsets offsets) const
{
    const int i = viewInput + offsets.input;
    const int s = InputRouter(i);
    if (s == -1)
        return {};
    auto *router = m_routers.at(s);
    return {router, router ? router->phyIn(i) : -1};
}

int LogicalMatrix::cvMatInToPhy2(int viewInput, const clsRouter *router, ViewOffsets offsets) const
{
    return router ? router->phyIn(viewInput + offsets.input) : -1;
}

int LogicalMatrix::cvPhyInToMat(int physicalInput, const clsRouter &router,
                                ViewOffsets offsets) const
{
    return router.MapInput(physicalInput) - offsets.input;
}

PhysicalCrosspoint LogicalMatrix::cvLgMrxMapToPhy(int logicalOutput, int logicalInput) const
{
    const int inOwner = InputRouter(logicalInput);
    const int outOwner = OutputRouter(logicalOutput);
    if (inOwner < 0 || outOwner < 0)
        throw RuntimeError(kSubscriptOutOfRange);
    return {m_routers.at(inOwner + outOwner), logicalOutput & 15, logicalInput / 2};
}

PhysicalCrosspoint LogicalMatrix::cvLgMrxMatToPhy(int viewOutput, int viewInput,
                                                  ViewOffsets offsets) const
{
    return cvLgMrxMapToPhy(viewOutput + offsets.output, viewInput + offsets.input);
}

PhysicalPort LogicalMatrix::cvLgMrxMatToPhy_(int viewOutput, ViewOffsets offsets) const
{
    const int o = viewOutput + offsets.output;
    const int owner = OutputRouter(o);
    if (owner < 0)
        throw RuntimeError(kSubscriptOutOfRange);
    return {m_routers.at(owner), o & 15};
}

ViewCell LogicalMatrix::cvLgMrxPhyToMat(int physicalOutput, int physicalInput,
                                        const clsRouter &router, ViewOffsets offsets) const
{
    const int f = router.FrameAddress();
    return {(f & 14) * 8 + physicalOutput - offsets.output,
            physicalInput * 2 + (f & 1) - offsets.input};
}

PhysicalPort LogicalMatrix::cvMatInToNameIn(int viewInput, ViewOffsets offsets) const
{
    const int i = viewInput + offsets.input;
    const int owner = InputRouter(i);
    if (owner < 0)
        throw RuntimeError(kSubscriptOutOfRange);
    return {m_routers.at(owner), i / 2};
}

PhysicalPort LogicalMatrix::cvMatOutToNameOut(int viewOutput, ViewOffsets offsets) const
{
    const int o = viewOutput + offsets.output;
    const int owner = OutputRouter(o);
    if (owner < 0)
        throw RuntimeError(kSubscriptOutOfRange);
    return {m_routers.at(owner), o & 15};
}

} // namespace corvantis

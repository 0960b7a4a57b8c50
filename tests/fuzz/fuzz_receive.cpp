// Arbitrary bytes as a status reply: the routers' own reports come out whole, and whatever
// arrives, every route state stays a real input of its router or none.
#include "link/ReceiveHandling.h"
#include "model/LogicalMatrix.h"
#include "support/ScriptedPlatform.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

using namespace corvantis;

namespace {

struct Model {
    explicit Model(bool paired)
    {
        // Normal: a gap at slot 2 and the most inputs a router can have. Paired: two pairs.
        const int shapes[2][4][3] = {{{16, 16, 0}, {8, 4, 16}, {0, 0, 0}, {127, 16, 20}},
                                     {{16, 16, 0}, {16, 16, 0}, {16, 16, 16}, {16, 16, 16}}};
        for (int slot = 0; slot < 4; ++slot) {
            const auto *shape = shapes[paired ? 1 : 0][slot];
            if (shape[0] == 0)
                continue;
            auto router = std::make_unique<clsRouter>();
            router->SetFrameAddress(slot);
            router->SetInputCount(shape[0] - 1);
            router->SetOutputCount(shape[1] - 1);
            router->SetMapOut(shape[2]);
            routers.set(slot, std::move(router));
        }
        matrix.BuildLogicalMatrix(paired);
    }
    RouterTable routers;
    LogicalMatrix matrix{routers};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static test::ScriptedPlatform platform;
    static Model models[2] = {Model(false), Model(true)};
    if (size == 0)
        return 0;
    Model &model = models[data[0] % 2];
    const std::string_view input(reinterpret_cast<const char *>(data) + 1, size - 1);
    const SeparatedInput separated = SeparateRemoteReports(input);
    if (separated.answer.size() + kRemoteReportSize * separated.cells.size() != input.size() ||
        separated.tail > 2 || separated.tail > separated.answer.size())
        std::abort();
    for (const int cell : separated.cells)
        if (cell < 0 || cell > 255)
            std::abort();
    const std::string_view reply(separated.answer);
    const int written = ApplyStatusReply(reply, model.matrix);
    if (written < 0 || written > static_cast<int>(reply.size()))
        std::abort();
    for (int slot = 0; slot < RouterTable::kSlots; ++slot) {
        const clsRouter *router = model.routers.at(slot);
        for (int output = 0; router && output <= router->OutputCount(); ++output) {
            const clsRouteState *state = router->RouteStateIfAny(output);
            if (state && (state->Video() < -1 || state->Video() > router->InputCount() ||
                          state->Audio() < -1 || state->Audio() > router->InputCount()))
                std::abort();
        }
    }
    return 0;
}

// Applying a full 128-byte status reply to the route states, the grid's redraw excluded.
#include "config/ConfigFile.h"
#include "config/MacroRecording.h"
#include "link/ReceiveHandling.h"
#include "link/RoutingEngine.h"
#include "link/SerialLink.h"
#include "model/LogicalMatrix.h"

#include <QByteArray>
#include <benchmark/benchmark.h>
#include <memory>

using namespace corvantis;

namespace {

// Seven routers of 16 outputs and one of 15: the 127 logical outputs a layout can reach.
void fillRouters(RouterTable &routers)
{
    for (int slot = 0; slot < 8; ++slot) {
        auto router = std::make_unique<clsRouter>();
        router->SetFrameAddress(slot);
        router->SetInputCount(15);
        router->SetOutputCount(slot == 7 ? 14 : 15);
        router->SetMapOut(16 * slot);
        routers.set(slot, std::move(router));
    }
}

QByteArray statusReply(int shift)
{
    QByteArray reply(128, '\0');
    for (int i = 0; i < reply.size(); ++i)
        reply[i] = static_cast<char>(0x80 + (i + shift) % 16);
    return reply;
}

void BM_ApplyStatusReply(benchmark::State &state)
{
    RouterTable routers;
    fillRouters(routers);
    LogicalMatrix matrix(routers);
    matrix.BuildLogicalMatrix(false);
    const QByteArray replies[2] = {statusReply(0), statusReply(5)};
    int n = 0;
    for (auto _ : state) {
        const QByteArray &reply = replies[n++ & 1];
        benchmark::DoNotOptimize(ApplyStatusReply(
            std::string_view(reply.constData(), static_cast<std::size_t>(reply.size())), matrix));
    }
    state.SetItemsProcessed(state.iterations() * 128);
}
BENCHMARK(BM_ApplyStatusReply);

// The same through the routing engine: taking the buffer from the link and telling the window.
void BM_ReceiveStatusUpdate(benchmark::State &state)
{
    Configuration config;
    fillRouters(config.routers);
    LogicalMatrix matrix(config.routers);
    matrix.BuildLogicalMatrix(false);
    MacroRecording recording;
    SerialLink link(config.settings);
    RoutingEngine engine(config, matrix, recording, link);
    const QByteArray replies[2] = {statusReply(0), statusReply(5)};
    int n = 0;
    for (auto _ : state) {
        link.setStatusBuffer(replies[n++ & 1]);
        engine.ReceiveStatusUpdate();
    }
    state.SetItemsProcessed(state.iterations() * 128);
}
BENCHMARK(BM_ReceiveStatusUpdate);

} // namespace

BENCHMARK_MAIN();

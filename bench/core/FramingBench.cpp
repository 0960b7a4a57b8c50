#include "link/Framing.h"

#include <benchmark/benchmark.h>

using namespace corvantis;

namespace {

// Args: framing, command code.
void BM_BuildFrame(benchmark::State &state)
{
    const auto commType = static_cast<int>(state.range(0));
    const auto code = static_cast<int>(state.range(1));
    for (auto _ : state) {
        auto frame = BuildFrame(commType, 7, code, 12, 9);
        benchmark::DoNotOptimize(frame);
    }
}
BENCHMARK(BM_BuildFrame)
    ->ArgNames({"type", "code"})
    ->ArgsProduct({{kTypeA, kTypeB},
                   {CmdRoute, CmdDisconnect, CmdPairRoute, CmdStatus, CmdRsConnect, CmdRsDisconnect,
                    CmdSetFrameAddress}});

void BM_IsValidReplyTypeB(benchmark::State &state)
{
    const auto frame = BuildFrame(kTypeB, 1, CmdRoute, 4, 2);
    const Bytes reply = "\x45";
    for (auto _ : state)
        benchmark::DoNotOptimize(IsValidReply(kTypeB, reply, frame));
}
BENCHMARK(BM_IsValidReplyTypeB);

} // namespace

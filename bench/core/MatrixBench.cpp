#include "model/LogicalMatrix.h"

#include <algorithm>
#include <benchmark/benchmark.h>

using namespace corvantis;

namespace {

// Sixteen 16 x 8 routers side by side, sharing their inputs; the last overlaps by one output.
RouterTable normalRouters()
{
    RouterTable routers;
    for (int s = 0; s < RouterTable::kSlots; ++s) {
        auto router = std::make_unique<clsRouter>();
        router->SetFrameAddress(s);
        router->SetOutputCount(7);
        router->SetMapOut(std::min(8 * s, 119));
        routers.set(s, std::move(router));
    }
    return routers;
}

RouterTable pairedRouters()
{
    RouterTable routers;
    for (int s = 0; s < RouterTable::kSlots; ++s) {
        auto router = std::make_unique<clsRouter>();
        router->SetFrameAddress(s);
        routers.set(s, std::move(router));
    }
    return routers;
}

void BM_BuildLogicalMatrixNormal16(benchmark::State &state)
{
    const auto routers = normalRouters();
    LogicalMatrix matrix(routers);
    for (auto _ : state) {
        matrix.BuildLogicalMatrix(false);
        benchmark::DoNotOptimize(matrix.MaxOutput());
    }
}
BENCHMARK(BM_BuildLogicalMatrixNormal16);

// After the first rebuild every default name has been replaced, so this is the usual rebuild.
void BM_BuildLogicalMatrixPaired16(benchmark::State &state)
{
    const auto routers = pairedRouters();
    LogicalMatrix matrix(routers);
    for (auto _ : state) {
        matrix.BuildLogicalMatrix(true);
        benchmark::DoNotOptimize(matrix.MaxOutput());
    }
}
BENCHMARK(BM_BuildLogicalMatrixPaired16);

// Gives every port of the first 16 ports its default name back, as a new configuration has.
void restoreDefaultNames(RouterTable &routers)
{
    for (int s = 0; s < RouterTable::kSlots; ++s)
        for (int i = 0; i <= 15; ++i) {
            routers[s]->SetRouterInName(i, clsRouter::DefaultInName(i));
            routers[s]->SetRouterOutName(i, clsRouter::DefaultOutName(i));
        }
}

// Baseline for the next one: restoring the names alone.
void BM_RestoreDefaultNames(benchmark::State &state)
{
    auto routers = pairedRouters();
    for (auto _ : state) {
        restoreDefaultNames(routers);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RestoreDefaultNames);

// The first rebuild after a configuration change replaces all 32 input and 128 output names.
// Its own cost is this figure minus the baseline above (pausing the timer costs more).
void BM_BuildLogicalMatrixPaired16Renaming(benchmark::State &state)
{
    auto routers = pairedRouters();
    LogicalMatrix matrix(routers);
    for (auto _ : state) {
        restoreDefaultNames(routers);
        matrix.BuildLogicalMatrix(true);
        benchmark::DoNotOptimize(matrix.MaxOutput());
    }
}
BENCHMARK(BM_BuildLogicalMatrixPaired16Renaming);

} // namespace

// Redrawing the crosspoint markers of the whole 16 x 16 view from the route states.

#include "BenchSupport.h"
#include "core/AppCore.h"
#include "ui/frmMainMatrix.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace corvantis;
using namespace corvantis::bench;

namespace {

// Every output of a 16 x 16 router with audio breakaway routed, half of them split, so every
// column draws one or two markers and removes those it drew before.
void routeEverything(AppCore &core, int shift)
{
    clsRouter *router = core.config().routers.at(0);
    for (int output = 0; output < 16; ++output) {
        clsRouteState *state = router->RouteState(output);
        state->SetVideo(static_cast<std::int16_t>((output + shift) % 16));
        state->SetAudio(static_cast<std::int16_t>((output * 3 + shift + output % 2) % 16));
    }
}

void BM_UpdateDisplayMatrix(benchmark::State &state)
{
    QTemporaryDir data;
    AnsweringPlatform answers({}, data.path().toStdString());
    setPlatform(&answers);
    {
        AppCore core;
        auto router = std::make_unique<clsRouter>();
        router->SetRouterType(7);
        router->SetInputCount(15);
        router->SetOutputCount(15);
        router->AudioBreakaway = true;
        core.config().routers.set(0, std::move(router));
        frmMainMatrix window(core);
        window.ReturnFromConfig();
        window.show();
        int shift = 0;
        for (auto _ : state) {
            state.PauseTiming();
            routeEverything(core, ++shift);
            state.ResumeTiming();
            window.UpdateDisplayMatrix();
        }
        // Keep the paints the redraws asked for out of the next measurement.
        QApplication::processEvents();
    }
    setPlatform(nullptr);
}
BENCHMARK(BM_UpdateDisplayMatrix)->Unit(benchmark::kMicrosecond);

// The same with nothing changed: every marker is removed and drawn again in place.
void BM_UpdateDisplayMatrixUnchanged(benchmark::State &state)
{
    QTemporaryDir data;
    AnsweringPlatform answers({}, data.path().toStdString());
    setPlatform(&answers);
    {
        AppCore core;
        auto router = std::make_unique<clsRouter>();
        router->SetRouterType(7);
        router->SetInputCount(15);
        router->SetOutputCount(15);
        router->AudioBreakaway = true;
        core.config().routers.set(0, std::move(router));
        frmMainMatrix window(core);
        window.ReturnFromConfig();
        window.show();
        routeEverything(core, 1);
        for (auto _ : state)
            window.UpdateDisplayMatrix();
        QApplication::processEvents();
    }
    setPlatform(nullptr);
}
BENCHMARK(BM_UpdateDisplayMatrixUnchanged)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include "config/OutputMapping.h"

#include "model/RouterTable.h"

namespace corvantis {

void OutputMapping::AutoLayout(RouterTable &routers)
{
    const clsRouter *previous = nullptr;
    for (int slot = 0; slot < RouterTable::kSlots; ++slot) {
        clsRouter *router = routers.at(slot);
        if (!router)
            break;
        if (router->RouterType() == -1)
            continue;
        const int start = previous ? previous->MapOutput(previous->OutputCount()) + 1 : 0;
        if (router->mapOut() != start)
            router->SetMapOut(start);
        previous = router;
    }
}

void OutputMapping::ShareInputs(RouterTable &routers, int lastIndex)
{
    for (int slot = 0; slot <= lastIndex && slot < RouterTable::kSlots; ++slot)
        if (clsRouter *router = routers.at(slot))
            router->SetMapIn(0);
}

std::string OutputMapping::InputEndLabel(const clsRouter &router)
{
    return "-" + std::to_string(router.MapInput(router.InputCount()) + 1);
}

std::string OutputMapping::OutputEndLabel(const clsRouter &router)
{
    return "-" + std::to_string(router.MapOutput(router.OutputCount()) + 1);
}

} // namespace corvantis

#pragma once

#include "model/clsRouter.h"

#include <memory>

namespace corvantis::test {

// A router line as a test needs it: counts are of ports, not highest indices.
struct RouterSpec {
    int frameAddress = 0;
    int type = 7;
    int inputs = 16;
    int outputs = 16;
    int mapOut = 0;
    bool audioBreakaway = false;
    int mapIn = 0;
};

inline std::unique_ptr<clsRouter> makeRouter(const RouterSpec &spec)
{
    auto router = std::make_unique<clsRouter>();
    router->SetRouterType(spec.type);
    router->SetFrameAddress(spec.frameAddress);
    router->SetInputCount(spec.inputs - 1);
    router->SetOutputCount(spec.outputs - 1);
    router->SetMapIn(spec.mapIn);
    router->SetMapOut(spec.mapOut);
    router->AudioBreakaway = spec.audioBreakaway;
    return router;
}

} // namespace corvantis::test

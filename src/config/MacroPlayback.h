#pragma once

#include "util/Task.h"

namespace corvantis {

class MacroStore;

// Replays a stored macro through the window that routes. The window supplies the three
// operations; the order, the step decoding and the clean-up are here.
class MacroPlayback {
public:
    virtual ~MacroPlayback() = default;

    // Routes every step of macro n in order. A failing step is reported and the next one
    // follows; whatever happens, the buttons end enabled and BulkRouting false.
    Task<void> PlayMacro(const MacroStore &store, int number);

protected:
    virtual void EnableButtons(bool enabled) = 0;
    virtual void setBulkRouting(bool bulk) = 0;
    // One step on the router at that frame address, which may be an empty slot; input -1
    // disconnects the output.
    virtual Task<void> RouteStep(int frameAddress, int output, int input, int level) = 0;
};

} // namespace corvantis

#pragma once

namespace corvantis {

// One router on the virtual line. Counts are port counts, not highest indexes.
struct SimRouterSpec {
    int frameAddress = 0;
    int inputs = 16;
    int outputs = 16;
    // Logical position of the router's first output in the line's status reply; -1 places it
    // right after the router with the next lower frame address.
    int firstOutput = -1;
};

} // namespace corvantis

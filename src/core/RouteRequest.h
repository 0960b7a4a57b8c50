#pragma once

#include "link/RoutingEngine.h"

namespace corvantis {

// A route on physical ports of one router; input -1 disconnects. The level is a set of bits:
// 1 video, 2 audio, 3 both.
struct RouteRequest {
    int frameAddress = -1;
    int output = -1;
    int input = -1;
    int level = RoutingEngine::kAllLevels;

    friend bool operator==(const RouteRequest &, const RouteRequest &) = default;
};

} // namespace corvantis

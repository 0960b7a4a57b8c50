#pragma once

#include <string>

namespace corvantis {

class clsRouter;
class RouterTable;

// Where the routers' ports sit in the logical matrix as the setup dialog lays them out:
// outputs one after another, inputs shared from logical input 1 upward.
class OutputMapping {
public:
    // Lays out the outputs of slot 0 upward, up to the first empty slot. A router without a
    // model keeps its place and does not advance the layout; a router that refuses its new
    // place keeps the old one and the next router follows on from there.
    static void AutoLayout(RouterTable &routers);
    // Every router from slot 0 to lastIndex gets the logical inputs from 1 upward.
    static void ShareInputs(RouterTable &routers, int lastIndex);
    // "-" and the one-based logical number of the router's last input (output).
    static std::string InputEndLabel(const clsRouter &router);
    static std::string OutputEndLabel(const clsRouter &router);
};

} // namespace corvantis

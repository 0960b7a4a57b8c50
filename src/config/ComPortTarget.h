#pragma once

#include <string>
#include <string_view>

namespace corvantis {

// Where a port named "COMn" leads on this computer, so the setup dialog can show why a port
// does not open. Elsewhere than Windows COMn is the link "comN" in the folder "ports" of the
// data folder, and without that link /dev/ttyS<n-1>.
struct ComPortTarget {
    // The device the port opens (the link's target when there is a link), empty when the name
    // holds no port number.
    std::string device;
    // The link (or the default device) that the port name stands for.
    std::string path;
    bool throughLink = false;
    bool exists = false;

    // dataFolder ends in a separator, as ProgramDataFolder() gives it.
    static ComPortTarget Resolve(std::string_view portName, std::string_view dataFolder);
};

} // namespace corvantis

#pragma once

#include <cstdint>
#include <string>

namespace corvantis {

// The program-wide settings that the configuration file and the setup dialog write.
struct Settings {
    static constexpr float kDefaultCommandGap = 0.2f;

    // "COM1" .. "COM7"; a name whose last character is not a digit opens nothing.
    std::string CommPortName;
    // The line as an address (COMn, a device path, socket://HOST:PORT, rfc2217://HOST:PORT);
    // when set it is used instead of CommPortName.
    std::string CommPortAddress;
    // Seconds to wait for a reply per transmission; 0 means replies are not awaited.
    float RouterTimeout = 0.2f;
    // Seconds the line stays quiet after every command, 0 to 1; routers that take commands
    // faster than the default allows may be given less. Routes still go one at a time.
    float CommandGap = kDefaultCommandGap;
    // Framing of the line: 0 Type A, 1 Type B.
    std::int16_t CommType = 0;
    // Loaded and saved; nothing else reads it.
    std::int16_t RemoteType = 0;
    // Paired layout of routers 2k and 2k+1.
    bool MatrixSize = false;
    // Type code that selects model-specific behaviour of the window, timer and menus.
    std::int16_t CurrentRouterType = 0;
    // The alive poll takes every router in turn; off, it asks frame address 0 alone.
    bool PollRound = true;
    bool ConfigLoaded = false;
    std::string ConfigFilePath;
};

} // namespace corvantis

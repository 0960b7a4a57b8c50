#pragma once

#include "model/clsRouteState.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvantis {

// One physical router on the serial line: model, frame address, port counts and names, where
// its ports sit in the logical matrix, and the route state of each output. Every numeric
// setter validates; a refused value keeps the old one, raises wasError and shows "Data Error".
class clsRouter {
public:
    static constexpr int kMaxPortIndex = 126;

    clsRouter();
    clsRouter(const clsRouter &other);
    clsRouter &operator=(const clsRouter &other);
    clsRouter(clsRouter &&) noexcept = default;
    clsRouter &operator=(clsRouter &&) noexcept = default;
    ~clsRouter() = default;

    bool AudioBreakaway = false;

    bool isValid() const { return m_isValid; }
    // Reading clears the flag.
    bool wasError();

    // The whole router as one line of text, and the parser for it.
    std::string StringVal() const;
    void SetStringVal(std::string_view text);

    std::int16_t RouterType() const { return m_routerType; }
    void SetRouterType(int value);
    std::int16_t FrameAddress() const { return m_frameAddress; }
    void SetFrameAddress(int value);
    std::int16_t InputCount() const { return static_cast<std::int16_t>(m_inNames.size() - 1); }
    void SetInputCount(int value);
    std::int16_t OutputCount() const { return static_cast<std::int16_t>(m_outNames.size() - 1); }
    void SetOutputCount(int value);
    std::int16_t mapIn() const { return m_mapIn; }
    void SetMapIn(int value);
    std::int16_t mapOut() const { return m_mapOut; }
    void SetMapOut(int value);

    std::string RouterInName(int index) const;
    void SetRouterInName(int index, std::string_view name);
    std::string RouterOutName(int index) const;
    void SetRouterOutName(int index, std::string_view name);
    static std::string DefaultInName(int index);
    static std::string DefaultOutName(int index);
    int InIDFromName(std::string_view name) const;
    int OutIDFromName(std::string_view name) const;

    // Created on first use; null for an output outside the router.
    clsRouteState *RouteState(int output);
    // The state if it exists, without creating one.
    const clsRouteState *RouteStateIfAny(int output) const;

    int MapInput(int input) const;
    int MapOutput(int output) const;
    int phyIn(int matrixInput) const;
    int phyOut(int matrixOutput) const;

private:
    bool refuse(const char *message);

    std::int16_t m_routerType = -1;
    std::int16_t m_frameAddress = 0;
    std::int16_t m_mapIn = 0;
    std::int16_t m_mapOut = 0;
    std::vector<std::string> m_inNames;
    std::vector<std::string> m_outNames;
    std::vector<std::unique_ptr<clsRouteState>> m_routeStates;
    bool m_isValid = false;
    bool m_wasError = false;
};

} // namespace corvantis

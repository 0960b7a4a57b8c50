#include "model/clsRouter.h"

#include "model/NameRule.h"
#include "util/GeneralFunctions.h"
#include "util/Numbers.h"
#include "util/Platform.h"
#include "util/ReportFailure.h"
#include "util/RuntimeError.h"
#include "util/clsDebug.h"

#include <algorithm>

namespace corvantis {

namespace {

std::string numberedName(std::string_view prefix, int index)
{
    return std::string(prefix) + AtLeastTwoDigits(index + 1);
}

void resizeNames(std::vector<std::string> &names, int highestIndex, std::string (*defaultName)(int))
{
    const auto oldSize = static_cast<int>(names.size());
    names.resize(static_cast<std::size_t>(highestIndex + 1));
    for (int i = oldSize; i <= highestIndex; ++i)
        names[static_cast<std::size_t>(i)] = defaultName(i);
}

bool refuseName(std::string_view name, const char *message)
{
    if (IsAcceptableName(name))
        return false;
    platform().messageBox(message, "Data Error", MessageButtons::Ok, MessageIcon::Information);
    return true;
}

} // namespace

clsRouter::clsRouter()
{
    SetRouterType(-1);
    SetInputCount(15);
    SetOutputCount(15);
}

clsRouter::clsRouter(const clsRouter &other)
    : AudioBreakaway(other.AudioBreakaway), m_routerType(other.m_routerType),
      m_frameAddress(other.m_frameAddress), m_mapIn(other.m_mapIn), m_mapOut(other.m_mapOut),
      m_inNames(other.m_inNames), m_outNames(other.m_outNames), m_isValid(other.m_isValid),
      m_wasError(other.m_wasError)
{
    m_routeStates.reserve(other.m_routeStates.size());
    for (const auto &state : other.m_routeStates)
        m_routeStates.push_back(state ? std::make_unique<clsRouteState>(*state) : nullptr);
}

clsRouter &clsRouter::operator=(const clsRouter &other)
{
    if (this != &other)
        *this = clsRouter(other);
    return *this;
}

bool clsRouter::wasError()
{
    const bool was = m_wasError;
    m_wasError = false;
    return was;
}

bool clsRouter::refuse(const char *message)
{
    m_wasError = true;
    platform().messageBox(message, "Data Error", MessageButtons::Ok, MessageIcon::Exclamation);
    return false;
}

void clsRouter::SetRouterType(int value)
{
    if (value < -1 || value > 15)
        refuse("Router Type out of range");
    else
        m_routerType = static_cast<std::int16_t>(value);
}

void clsRouter::SetFrameAddress(int value)
{
    if (value < 0 || value > 15)
        refuse("Frame Address out of range");
    else
        m_frameAddress = static_cast<std::int16_t>(value);
}

void clsRouter::SetInputCount(int value)
{
    if (value < 0 || value > kMaxPortIndex) {
        refuse("Input count out of range");
        return;
    }
    resizeNames(m_inNames, value, &clsRouter::DefaultInName);
    // A larger router must still fit the matrix, or the next load would refuse its offset
    // and drop the whole router.
    m_mapIn = static_cast<std::int16_t>(std::min<int>(m_mapIn, kMaxPortIndex - value));
}

void clsRouter::SetOutputCount(int value)
{
    if (value < 0 || value > kMaxPortIndex) {
        refuse("Output count out of range");
        return;
    }
    resizeNames(m_outNames, value, &clsRouter::DefaultOutName);
    m_routeStates.resize(static_cast<std::size_t>(value + 1));
    m_mapOut = static_cast<std::int16_t>(std::min<int>(m_mapOut, kMaxPortIndex - value));
}

void clsRouter::SetMapIn(int value)
{
    if (value < 0 || value >= 127 - InputCount())
        refuse("MatIn out of range");
    else
        m_mapIn = static_cast<std::int16_t>(value);
}

void clsRouter::SetMapOut(int value)
{
    if (value < 0 || value >= 127 - OutputCount())
        refuse("MatOut out of range");
    else
        m_mapOut = static_cast<std::int16_t>(value);
}

std::string clsRouter::RouterInName(int index) const
{
    return index >= 0 && index <= InputCount() ? m_inNames[static_cast<std::size_t>(index)]
                                               : std::string();
}

void clsRouter::SetRouterInName(int index, std::string_view name)
{
    if (index < 0 || index > InputCount())
        return;
    if (!refuseName(name, "Invalid input name: cannot have semicolons (;)"))
        m_inNames[static_cast<std::size_t>(index)] = name;
}

std::string clsRouter::RouterOutName(int index) const
{
    return index >= 0 && index <= OutputCount() ? m_outNames[static_cast<std::size_t>(index)]
                                                : std::string();
}

void clsRouter::SetRouterOutName(int index, std::string_view name)
{
    if (index < 0 || index > OutputCount())
        return;
    if (!refuseName(name, "Invalid Output name: cannot have semicolons (;)"))
        m_outNames[static_cast<std::size_t>(index)] = name;
}

std::string clsRouter::DefaultInName(int index)
{
    return numberedName("In ", index);
}

std::string clsRouter::DefaultOutName(int index)
{
    return numberedName("Out ", index);
}

int clsRouter::InIDFromName(std::string_view name) const
{
    const auto it = std::find(m_inNames.begin(), m_inNames.end(), name);
    return it == m_inNames.end() ? -1 : static_cast<int>(it - m_inNames.begin());
}

int clsRouter::OutIDFromName(std::string_view name) const
{
    const auto it = std::find(m_outNames.begin(), m_outNames.end(), name);
    return it == m_outNames.end() ? -1 : static_cast<int>(it - m_outNames.begin());
}

clsRouteState *clsRouter::RouteState(int output)
{
    if (output < 0 || output > OutputCount())
        return nullptr;
    auto &slot = m_routeStates[static_cast<std::size_t>(output)];
    if (!slot) {
        slot = std::make_unique<clsRouteState>();
        slot->AudioBreakaway = AudioBreakaway;
    }
    return slot.get();
}

const clsRouteState *clsRouter::RouteStateIfAny(int output) const
{
    if (output < 0 || output > OutputCount())
        return nullptr;
    return m_routeStates[static_cast<std::size_t>(output)].get();
}

int clsRouter::MapInput(int input) const
{
    return input >= 0 && input <= InputCount() ? m_mapIn + input : -1;
}

int clsRouter::MapOutput(int output) const
{
    return output >= 0 && output <= OutputCount() ? m_mapOut + output : -1;
}

int clsRouter::phyIn(int matrixInput) const
{
    const int p = matrixInput - m_mapIn;
    return p >= 0 && p <= InputCount() ? p : -1;
}

int clsRouter::phyOut(int matrixOutput) const
{
    const int p = matrixOutput - m_mapOut;
    return p >= 0 && p <= OutputCount() ? p : -1;
}

std::string clsRouter::StringVal() const
{
    std::string text;
    for (int value : {int(m_routerType), int(m_frameAddress), int(InputCount()), int(OutputCount()),
                      int(m_mapIn), int(m_mapOut)})
        text += std::to_string(value) + "; ";
    text += AudioBreakaway ? "-1;" : "0;";
    for (const auto &name : m_inNames)
        text += name + "; ";
    for (const auto &name : m_outNames)
        text += name + "; ";
    DebugLog().Log("RouterInfoRetrieved", {text});
    return text;
}

void clsRouter::SetStringVal(std::string_view text)
{
    m_isValid = false;
    m_wasError = false;
    std::int32_t cursor = 1;
    // A field that does not fit is reported like the language runtime reported it, and
    // parsing goes on with the next field. The line is still invalid: its value was lost.
    auto guarded = [this](auto &&step) {
        try {
            step();
        } catch (const RuntimeError &error) {
            m_wasError = true;
            ReportFailure("Function StringVal", error.description());
        }
    };
    using Setter = void (clsRouter::*)(int);
    for (Setter setter :
         {&clsRouter::SetRouterType, &clsRouter::SetFrameAddress, &clsRouter::SetInputCount,
          &clsRouter::SetOutputCount, &clsRouter::SetMapIn, &clsRouter::SetMapOut}) {
        const auto token = GetToken(text, cursor, ";");
        guarded([&] { (this->*setter)(RoundToInt16(LeadingNumber(token))); });
    }
    AudioBreakaway = LeadingNumber(GetToken(text, cursor, ";")) != 0;
    for (auto &name : m_inNames)
        name = Trim(GetToken(text, cursor, ";"));
    for (auto &name : m_outNames)
        name = Trim(GetToken(text, cursor, ";"));
    DebugLog().Log("RouterInfoLoaded", {text});
    m_isValid = !wasError();
}

} // namespace corvantis

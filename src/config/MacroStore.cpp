#include "config/MacroStore.h"

#include "util/GeneralFunctions.h"
#include "util/Numbers.h"
#include "util/ReportFailure.h"
#include "util/RuntimeError.h"

namespace corvantis {

namespace {

constexpr const char *kLoadLabel = "Function LoadMacros";
constexpr int kMaxFrame = 15;
constexpr int kMaxPort = 127;
constexpr int kNoInput = 255;

std::size_t checkedIndex(int number)
{
    if (number < 0 || number >= MacroStore::kCount)
        throw RuntimeError(kSubscriptOutOfRange);
    return static_cast<std::size_t>(number);
}

// The last two characters (not bytes) of a text, so a trailing letter outside ASCII is not cut
// in half.
std::string_view lastTwoCharacters(std::string_view text)
{
    std::size_t start = text.size();
    for (int characters = 0; characters < 2 && start > 0; ++characters) {
        --start;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
            --start;
    }
    return text.substr(start);
}

// One "{frame, output} = {input, level}" token; nullopt when the step is to be skipped.
std::optional<std::uint32_t> parseStep(std::string_view token)
{
    std::int32_t cursor = 1;
    auto number = [&](std::string_view separator) {
        return static_cast<int>(RoundToByte(LeadingNumber(GetToken(token, cursor, separator))));
    };
    try {
        GetToken(token, cursor, "{");
        const int frame = number(",");
        if (frame > kMaxFrame)
            return std::nullopt;
        const int output = number("}");
        if (output > kMaxPort)
            return std::nullopt;
        GetToken(token, cursor, "{");
        const int input = number(",");
        if (input > kMaxPort && input != kNoInput)
            return std::nullopt;
        const int level = number("}");
        if (level < 1 || level > 3)
            return std::nullopt;
        return MacroStep::Pack(static_cast<std::uint8_t>(frame), static_cast<std::uint8_t>(output),
                               static_cast<std::uint8_t>(input), static_cast<std::uint8_t>(level));
    } catch (const RuntimeError &error) {
        // Keeping the field's earlier value would route a port nobody recorded; the step goes.
        ReportFailure(kLoadLabel, error.description());
        return std::nullopt;
    }
}

} // namespace

std::uint32_t MacroStep::Pack(std::uint8_t frame, std::uint8_t output, std::uint8_t input,
                              std::uint8_t level)
{
    return std::uint32_t{frame} | std::uint32_t{output} << 8 | std::uint32_t{input} << 16 |
           std::uint32_t{level} << 24;
}

void MacroStore::ClearMacros()
{
    m_names.fill(kUnassigned);
    for (auto &macro : m_macros)
        macro.reset();
}

const std::string &MacroStore::MacroName(int number) const
{
    return m_names[checkedIndex(number)];
}

void MacroStore::SetMacroName(int number, std::string name)
{
    m_names[checkedIndex(number)] = std::move(name);
}

const std::optional<std::vector<std::uint32_t>> &MacroStore::Macro(int number) const
{
    return m_macros[checkedIndex(number)];
}

void MacroStore::SetMacro(int number, std::optional<std::vector<std::uint32_t>> steps)
{
    m_macros[checkedIndex(number)] = std::move(steps);
}

void MacroStore::LoadMacroLine(std::string_view line)
{
    std::int32_t cursor = 1;
    const auto key = ToLowerAscii(GetToken(line, cursor, ":"));
    // Two characters hold at most "99", so the rounding cannot overflow.
    const int number = RoundToInt16(LeadingNumber(lastTwoCharacters(key)));
    if (number < 0 || number >= kCount)
        return;
    const auto index = static_cast<std::size_t>(number);

    m_names[index] = Trim(GetToken(line, cursor, ";"));
    auto &steps = m_macros[index].emplace();
    while (true) {
        const auto token = Trim(GetToken(line, cursor, ";"));
        if (token.empty())
            break;
        if (const auto step = parseStep(token))
            steps.push_back(*step);
    }
}

std::string MacroStore::SaveMacros() const
{
    std::string text = "Begin Macros\r\n";
    for (int n = 0; n < kCount; ++n) {
        const auto &macro = m_macros[static_cast<std::size_t>(n)];
        if (!macro)
            continue;
        text += "  Macro ";
        text += AtLeastTwoDigits(n);
        text += ": ";
        text += m_names[static_cast<std::size_t>(n)];
        text += "; ";
        for (const auto step : *macro) {
            text += '{';
            text += std::to_string(MacroStep::Frame(step));
            text += ", ";
            text += std::to_string(MacroStep::Output(step));
            text += "} = {";
            text += std::to_string(MacroStep::Input(step));
            text += ", ";
            text += std::to_string(MacroStep::Level(step));
            text += "}; ";
        }
        text += "\r\n";
    }
    text += "End Macros\r\n";
    return text;
}

} // namespace corvantis

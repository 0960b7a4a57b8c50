#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvantis {

// One recorded route packed in 32 bits: frame, output, input (255 = none), level, least
// significant byte first.
struct MacroStep {
    static std::uint32_t Pack(std::uint8_t frame, std::uint8_t output, std::uint8_t input,
                              std::uint8_t level);
    static std::uint8_t Frame(std::uint32_t step) { return step & 0xFF; }
    static std::uint8_t Output(std::uint32_t step) { return (step >> 8) & 0xFF; }
    static std::uint8_t Input(std::uint32_t step) { return (step >> 16) & 0xFF; }
    static std::uint8_t Level(std::uint32_t step) { return (step >> 24) & 0xFF; }
};

// The 50 named macro places and their section of the configuration file.
class MacroStore {
public:
    static constexpr int kCount = 50;
    static constexpr const char *kUnassigned = "< unassigned >";

    MacroStore() { ClearMacros(); }

    void ClearMacros();

    // MacroNames and Macros by macro number 0 to 49; another number throws
    // RuntimeError("Subscript out of range").
    const std::string &MacroName(int number) const;
    void SetMacroName(int number, std::string name);
    // Empty when the place holds no macro; a macro may exist with zero steps.
    const std::optional<std::vector<std::uint32_t>> &Macro(int number) const;
    void SetMacro(int number, std::optional<std::vector<std::uint32_t>> steps);

    // Reads the section lines after "Begin Macros", up to and including "End Macros".
    // `next` returns the next line (anything comparable with a text), or nullopt at the end of
    // the file; `lineCounter` is advanced once per line read. A size-capped file cannot have
    // more lines than 32 bits count.
    template <typename NextLine> void LoadMacros(NextLine &&next, std::int32_t &lineCounter);
    // One "Macro NN: name; {f, o} = {i, l}; ..." line. Invalid numbers and steps are skipped;
    // a step number that does not fit a byte is reported and its step skipped.
    void LoadMacroLine(std::string_view line);
    // The whole section, "Begin Macros" to "End Macros", each line ended by CR LF.
    std::string SaveMacros() const;

private:
    std::array<std::string, kCount> m_names;
    std::array<std::optional<std::vector<std::uint32_t>>, kCount> m_macros;
};

template <typename NextLine> void MacroStore::LoadMacros(NextLine &&next, std::int32_t &lineCounter)
{
    ClearMacros();
    while (auto line = next()) {
        ++lineCounter;
        if (*line == "End Macros")
            break;
        LoadMacroLine(*line);
    }
}

} // namespace corvantis

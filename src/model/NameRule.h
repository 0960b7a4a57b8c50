#pragma once

#include <algorithm>
#include <string_view>

namespace corvantis {

// A name is a field of a line in the configuration file: a line break would end the line there
// and make the rest a line of its own, and the other control characters have no business in a
// label either.
constexpr bool HasControlCharacter(std::string_view name)
{
    return std::any_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// Port and macro names are fields of ";"-separated lines in the configuration file: a name
// holding a ";" would come back as two fields. Every way of naming something asks this rule;
// each says the refusal in its own words.
constexpr bool IsAcceptableName(std::string_view name)
{
    return name.find(';') == std::string_view::npos && !HasControlCharacter(name);
}

// The refusal where a list of refused names is shown (panels, imports).
constexpr std::string_view kNameRefusal = "\";\" and control characters are not allowed in a name";

} // namespace corvantis

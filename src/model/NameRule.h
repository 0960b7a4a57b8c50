#pragma once

#include <string_view>

namespace corvantis {

// Port and macro names are fields of ";"-separated lines in the configuration file: a name
// holding a ";" would come back as two fields. Every way of naming something asks this rule;
// each says the refusal in its own words.
constexpr bool IsAcceptableName(std::string_view name)
{
    return name.find(';') == std::string_view::npos;
}

// The refusal where a list of refused names is shown (panels, imports).
constexpr std::string_view kNameRefusal = "\";\" is not allowed in a name";

} // namespace corvantis

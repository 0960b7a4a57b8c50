#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvantis {

// The number at the start of a text: leading blanks skipped, an optional sign, digits, a
// decimal point and an exponent; 0 when the text does not start with a number.
double LeadingNumber(std::string_view text);

// Rounds halves to the even neighbour. Throws RuntimeError("Overflow") when the result does
// not fit the target type.
std::int16_t RoundToInt16(double value);
std::int32_t RoundToInt32(double value);
std::uint8_t RoundToByte(double value);

// A whole text as a single-precision number. A decimal comma is read as a decimal point, so
// files written in such locales keep their values. Throws RuntimeError("Type mismatch") for a
// text that is not a number.
float ParseSingle(std::string_view text);

// The shortest decimal text that reads back as the same single-precision value, always with
// a full stop ("0.2", "1.5", "30"); zero is "0" whatever its sign.
std::string FormatSingle(float value);

// Decimal with a leading zero below 10, as names, frame addresses, macro numbers and versions
// show it: "07", "12", "127"; a negative number as it is.
std::string AtLeastTwoDigits(int value);

} // namespace corvantis

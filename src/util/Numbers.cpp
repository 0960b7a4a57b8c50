#include "util/Numbers.h"

#include "util/GeneralFunctions.h"
#include "util/RuntimeError.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace corvantis {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of the longest numeric prefix of text starting at pos (sign, digits, point, exponent).
std::size_t numericPrefix(std::string_view text, std::size_t pos, char decimalPoint)
{
    std::size_t i = pos;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == decimalPoint) {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return i - pos;
}

// Whether a number the parser could not represent is tiny rather than huge: its first
// significant digit lies behind the decimal point once the exponent is applied. Only the sign
// of that position matters, so a long exponent is saturated.
bool magnitudeBelowOne(std::string_view number)
{
    const auto e = number.find_first_of("eE");
    const auto mantissa = number.substr(0, e);
    long exponent = 0;
    if (e != std::string_view::npos) {
        const auto digits = number.substr(e + 1);
        const bool negative = !digits.empty() && digits.front() == '-';
        for (char c : digits)
            if (isDigit(c) && exponent < 100000)
                exponent = exponent * 10 + (c - '0');
        if (negative)
            exponent = -exponent;
    }
    const auto point = std::min(mantissa.find('.'), mantissa.size());
    const auto first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos)
        return true;
    const long position =
        first < point ? static_cast<long>(point - first) : -static_cast<long>(first - point - 1);
    return position + exponent <= 0;
}

double toDouble(std::string_view number)
{
    std::string text(number);
    if (!text.empty() && text.front() == '+')
        text.erase(0, 1);
    for (auto &c : text)
        if (c == ',')
            c = '.';
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (magnitudeBelowOne(text))
            return 0.0; // too small to represent
        const double huge = std::numeric_limits<double>::infinity();
        return text.front() == '-' ? -huge : huge;
    }
    return value;
}

template <typename Int> Int roundChecked(double value)
{
    const double rounded = std::nearbyint(value); // the default mode rounds halves to even
    if (!std::isfinite(rounded) || rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        throw RuntimeError(kOverflow);
    return static_cast<Int>(rounded);
}

} // namespace

double LeadingNumber(std::string_view text)
{
    std::size_t pos = text.find_first_not_of(kBlanks);
    if (pos == std::string_view::npos)
        return 0;
    const auto length = numericPrefix(text, pos, '.');
    return length == 0 ? 0.0 : toDouble(text.substr(pos, length));
}

std::int16_t RoundToInt16(double value)
{
    return roundChecked<std::int16_t>(value);
}

std::int32_t RoundToInt32(double value)
{
    return roundChecked<std::int32_t>(value);
}

std::uint8_t RoundToByte(double value)
{
    return roundChecked<std::uint8_t>(value);
}

float ParseSingle(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    const auto last = text.find_last_not_of(kBlanks);
    if (first == std::string_view::npos)
        throw RuntimeError(kTypeMismatch);
    const auto body = text.substr(first, last - first + 1);
    const char point =
        body.find('.') == std::string_view::npos && body.find(',') != body.npos ? ',' : '.';
    if (numericPrefix(body, 0, point) != body.size())
        throw RuntimeError(kTypeMismatch);
    const double value = toDouble(body);
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
        throw RuntimeError(kOverflow);
    return static_cast<float>(value);
}

std::string FormatSingle(float value)
{
    // A negative zero ("-0" typed in a file or the setup dialog) is no value of its own.
    if (value == 0)
        value = 0;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string AtLeastTwoDigits(int value)
{
    auto text = std::to_string(value);
    if (value >= 0 && value < 10)
        text.insert(text.begin(), '0');
    return text;
}

} // namespace corvantis

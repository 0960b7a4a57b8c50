#pragma once

#include <stdexcept>
#include <string>

namespace corvantis {

// A condition the original design let the language runtime catch (overflow, subscript out of
// range, a missing object). It is detected before it happens and thrown to the procedure that
// reports it with its own label; it never leaves that procedure.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(const std::string &description) : std::runtime_error(description) {}
    std::string description() const { return what(); }
};

inline constexpr const char *kOverflow = "Overflow";
inline constexpr const char *kTypeMismatch = "Type mismatch";
inline constexpr const char *kSubscriptOutOfRange = "Subscript out of range";
inline constexpr const char *kObjectNotSet = "Object variable not set";

} // namespace corvantis

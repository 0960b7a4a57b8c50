#pragma once

#include <exception>

namespace corvantis {

// The windows' one error pattern: "Error: " and the description in a message box titled
// with the procedure's label; with a log label the same text goes to the debug log.
void reportFailure(const char *title, const std::exception &error, const char *logLabel = nullptr);

// A handler that fails unexpectedly reports it under its name; the window goes on.
template <typename Action> void guarded(const char *title, Action &&action)
{
    try {
        action();
    } catch (const std::exception &error) {
        reportFailure(title, error);
    }
}

} // namespace corvantis

#pragma once

#include <string>
#include <string_view>

namespace corvantis {

// How a procedure that catches its own run-time failure tells about it before it goes on:
// "Error: " and the description in a message box titled with the procedure's label, then the
// same text in the debug log with the label as its parameter.
void ReportFailure(const std::string &label, std::string_view description);
// The configuration loader also says where it stood: "Error (section N): " and the description.
void ReportFailure(const std::string &label, int section, std::string_view description);
// The box alone, for reporters that never write to the log: the log itself, and the setup
// dialog's handlers.
void ShowFailure(const std::string &label, std::string_view description);

} // namespace corvantis

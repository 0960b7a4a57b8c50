#include "util/ReportFailure.h"

#include "util/Platform.h"
#include "util/clsDebug.h"

namespace corvantis {

namespace {

std::string failureText(std::string_view description)
{
    return "Error: " + std::string(description);
}

void show(const std::string &label, const std::string &text)
{
    platform().messageBox(text, label, MessageButtons::Ok, MessageIcon::Information);
}

void showAndLog(const std::string &label, const std::string &text)
{
    show(label, text);
    DebugLog().Log(text, {label});
}

} // namespace

void ReportFailure(const std::string &label, std::string_view description)
{
    showAndLog(label, failureText(description));
}

void ReportFailure(const std::string &label, int section, std::string_view description)
{
    showAndLog(label,
               "Error (section " + std::to_string(section) + "): " + std::string(description));
}

void ShowFailure(const std::string &label, std::string_view description)
{
    show(label, failureText(description));
}

} // namespace corvantis

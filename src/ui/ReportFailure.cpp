#include "ui/ReportFailure.h"

#include "util/Platform.h"
#include "util/clsDebug.h"

#include <string>

namespace corvantis {

void reportFailure(const char *title, const std::exception &error, const char *logLabel)
{
    const std::string text = std::string("Error: ") + error.what();
    platform().messageBox(text, title, MessageButtons::Ok, MessageIcon::Information);
    if (logLabel)
        DebugLog().Log(text, {logLabel});
}

} // namespace corvantis

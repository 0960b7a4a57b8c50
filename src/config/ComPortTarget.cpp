#include "config/ComPortTarget.h"

#include <filesystem>

namespace corvantis {

namespace fs = std::filesystem;

ComPortTarget ComPortTarget::Resolve(std::string_view portName, std::string_view dataFolder)
{
    ComPortTarget target;
    // The port number is the name's last character.
    if (portName.empty() || portName.back() < '1' || portName.back() > '9')
        return target;
    const int number = portName.back() - '0';
#ifdef _WIN32
    target.path = target.device = "COM" + std::to_string(number);
    target.exists = true;
    (void)dataFolder;
    return target;
#else
    std::error_code ec;
    const fs::path link = fs::path(dataFolder) / "ports" / ("com" + std::to_string(number));
    const auto linkStatus = fs::symlink_status(link, ec);
    if (!ec && fs::exists(linkStatus)) {
        target.throughLink = true;
        target.path = link.string();
        if (fs::is_symlink(linkStatus)) {
            const fs::path pointsTo = fs::read_symlink(link, ec);
            target.device = ec ? link.string() : pointsTo.string();
        } else {
            target.device = link.string();
        }
        // A dangling link exists as a link but leads nowhere.
        target.exists = fs::exists(link, ec) && !ec;
        return target;
    }
    target.path = target.device = "/dev/ttyS" + std::to_string(number - 1);
    target.exists = fs::exists(target.device, ec) && !ec;
    return target;
#endif
}

} // namespace corvantis

#include "config/ComPortTarget.h"

#include <filesystem>

namespace corvantis {

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kMaxDigits = 3;
} // namespace

ComPortTarget ComPortTarget::Resolve(std::string_view portName, std::string_view dataFolder)
{
    ComPortTarget target;
    // The port number is the run of digits the name ends in.
    std::size_t digits = portName.size();
    while (digits > 0 && portName[digits - 1] >= '0' && portName[digits - 1] <= '9')
        --digits;
    const std::string_view numberText = portName.substr(digits);
    if (numberText.empty() || numberText.front() == '0' || numberText.size() > kMaxDigits)
        return target;
    const int number = std::stoi(std::string(numberText));
#ifdef _WIN32
    // Ports from COM10 on open only through the device namespace.
    target.path = target.device = (number >= 10 ? "\\\\.\\COM" : "COM") + std::to_string(number);
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

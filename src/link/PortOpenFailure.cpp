#include "link/PortOpenFailure.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace corvantis {

namespace {

std::string trimmed(std::string text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    const auto last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The owner named in a lock file of the usual form (the process number as text), with the
// program's name where the process can be seen.
std::optional<std::string> lockOwner(const std::string &device, const std::string &lockFolder)
{
    namespace fs = std::filesystem;
    const std::string lock = lockFolder + "/LCK.." + fs::path(device).filename().string();
    std::ifstream in(lock);
    if (!in)
        return std::nullopt;
    std::string pid;
    std::getline(in, pid);
    pid = trimmed(pid);
    if (pid.empty())
        return std::string("another program");
    std::ifstream comm("/proc/" + pid + "/comm");
    std::string name;
    if (comm && std::getline(comm, name) && !trimmed(name).empty())
        return trimmed(name) + " (process " + pid + ")";
    return "process " + pid;
}

} // namespace

PortOpenFailure PortOpenFailure::Probe(const std::string &device, const std::string &comLink,
                                       const std::string &lockFolder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    PortOpenFailure failure;
    failure.device = device;
    failure.comLink = comLink;
    failure.comLinkExists = !comLink.empty() && fs::is_symlink(fs::symlink_status(comLink, ec));
    failure.deviceExists = !device.empty() && fs::exists(device, ec);
    failure.permissionDenied =
        failure.deviceExists && ::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
    if (failure.deviceExists && !failure.permissionDenied)
        failure.heldBy = lockOwner(device, lockFolder);
    return failure;
}

std::string PortOpenFailure::Explain() const
{
    if (!deviceExists) {
        std::string text = "no device at " + device;
        if (!comLink.empty())
            text += comLinkExists ? " (the link " + comLink + " leads there)"
                                  : " (no link " + comLink + " either)";
        return text;
    }
    if (permissionDenied)
        return "permission denied on " + device +
               ": add your user to the dialout group, then log in again";
    if (heldBy)
        return device + " is in use by " + *heldBy;
    return {};
}

} // namespace corvantis

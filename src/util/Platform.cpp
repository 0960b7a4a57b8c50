#include "util/Platform.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace corvantis {

namespace {
Platform *g_platform = nullptr;
}

MessageAnswer HeadlessPlatform::messageBox(const std::string &text, const std::string &title,
                                           MessageButtons buttons, MessageIcon)
{
    std::cerr << "[" << title << "] " << text << '\n';
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    }
    return MessageAnswer::Ok;
}

std::optional<std::string> HeadlessPlatform::inputBox(const std::string &, const std::string &,
                                                      const std::string &)
{
    return std::nullopt;
}

std::string HeadlessPlatform::appDataFolder()
{
    if (const char *xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return xdg;
    if (const char *home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.local/share";
    return {};
}

std::string HeadlessPlatform::programFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

Platform &platform()
{
    static HeadlessPlatform fallback;
    return g_platform ? *g_platform : fallback;
}

void setPlatform(Platform *implementation)
{
    g_platform = implementation;
}

} // namespace corvantis

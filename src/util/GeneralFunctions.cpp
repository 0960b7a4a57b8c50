#include "util/GeneralFunctions.h"

#include "util/Platform.h"
#include "util/Version.h"

#include <algorithm>
#include <filesystem>

namespace corvantis {

namespace fs = std::filesystem;

std::string GetToken(std::string_view text, std::int32_t &cursor, std::string_view separator)
{
    if (cursor < 0)
        return {};
    if (cursor == 0)
        cursor = 1;
    const auto start = static_cast<std::size_t>(cursor - 1);
    if (start >= text.size()) {
        cursor = -1;
        return {};
    }
    const auto found = separator.empty() ? std::string_view::npos : text.find(separator, start);
    if (found == std::string_view::npos) {
        cursor = -1;
        return std::string(text.substr(start));
    }
    cursor = static_cast<std::int32_t>(found + separator.size() + 1);
    return std::string(text.substr(start, found - start));
}

namespace {
std::size_t lastSeparator(std::string_view path)
{
    return path.find_last_of("\\/");
}
} // namespace

std::string FileNameOf(std::string_view path)
{
    const auto hit = lastSeparator(path);
    return std::string(hit == std::string_view::npos ? path : path.substr(hit + 1));
}

std::string FolderOf(std::string_view path)
{
    const auto hit = lastSeparator(path);
    return hit == std::string_view::npos ? std::string() : std::string(path.substr(0, hit));
}

std::string StripAtNul(std::string_view text)
{
    return std::string(text.substr(0, text.find('\0')));
}

std::string Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kBlanks);
    return std::string(text.substr(first, last - first + 1));
}

std::string ToLowerAscii(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    });
    return result;
}

bool PathExists(const std::string &path)
{
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec) && !ec;
}

std::int64_t FileLength(const std::string &path)
{
    std::error_code ec;
    if (!path.empty() && fs::is_regular_file(path, ec)) {
        const auto size = fs::file_size(path, ec);
        if (!ec)
            return static_cast<std::int64_t>(size);
    }
    platform().messageBox("File Not Found!", kProgramTitle, MessageButtons::Ok,
                          MessageIcon::Exclamation);
    return -1;
}

std::string AppDataFolder()
{
    return StripAtNul(platform().appDataFolder());
}

std::string GetDataFolder(std::string_view level1, std::string_view level2, std::string_view level3)
{
    const auto base = AppDataFolder();
    std::error_code ec;
    if (base.empty() || !fs::is_directory(base, ec)) {
        auto folder = platform().programFolder();
        if (folder.empty() || (folder.back() != '/' && folder.back() != '\\'))
            folder += '/';
        return folder;
    }
    fs::path folder(base);
    for (auto level : {level1, level2, level3}) {
        if (level.empty())
            continue;
        folder /= fs::path(level);
        fs::create_directory(folder, ec);
    }
    return folder.string() + '/';
}

std::string ProgramDataFolder()
{
    return GetDataFolder("", kProgramTitle,
                         std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor));
}

} // namespace corvantis

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvantis {

// The cursor tokenizer every text format of the program is read with. The cursor counts from 1;
// 0 is taken as 1; a negative cursor yields an empty text. When the separator is found the
// cursor moves just behind it, otherwise the rest of the text is returned and the cursor
// becomes -1.
std::string GetToken(std::string_view text, std::int32_t &cursor, std::string_view separator);

// Both "\" and "/" separate path parts, so files named on either system are understood.
std::string FileNameOf(std::string_view path);
std::string FolderOf(std::string_view path);
std::string StripAtNul(std::string_view text);
// What every text format counts as blank: around a value or name, and before a number.
inline constexpr std::string_view kBlanks = " \t";
// Without the blanks at both ends.
std::string Trim(std::string_view text);
std::string ToLowerAscii(std::string_view text);

bool PathExists(const std::string &path);
// The file's length in bytes; -1 with "File Not Found!" when it cannot be read.
std::int64_t FileLength(const std::string &path);

std::string AppDataFolder();
// Appends the non-empty levels to the per-user data folder, creating each missing one, and
// returns it with a trailing separator; the program's folder when there is no data folder.
std::string GetDataFolder(std::string_view level1, std::string_view level2,
                          std::string_view level3);
// The program's own data folder, "<data>/Corvantis/<major>.<minor>/".
std::string ProgramDataFolder();

} // namespace corvantis

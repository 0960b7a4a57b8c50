#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvantis {

// Text files are UTF-8. A line that is not valid UTF-8 was written by an older system or editor
// in its ANSI code page and is read as Windows-1252, so its names keep their letters; the
// other lines of the same file stay UTF-8.
std::string DecodeFileText(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);

// Lines ended by CR LF, LF or a lone CR; a final line end does not start another line.
std::vector<std::string> SplitLines(std::string_view text);

// Number of characters (code points) of a UTF-8 text.
std::size_t Utf8Length(std::string_view text);

} // namespace corvantis

#include "config/NamesCsv.h"

#include "util/GeneralFunctions.h"
#include "util/TextCodec.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <set>
#include <utility>

namespace corvantis {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view directionText(NamesCsv::Direction direction)
{
    return direction == NamesCsv::Direction::Input ? "input" : "output";
}

struct SplitLine {
    std::vector<std::string> fields;
    std::string error; // empty when the line splits
};

// One line into its fields. Quotes only open at a field's start; a doubled quote inside a
// quoted field is one quote.
SplitLine splitFields(std::string_view line)
{
    SplitLine result;
    std::string field;
    std::size_t i = 0;
    while (true) {
        field.clear();
        if (i < line.size() && line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] != '"') {
                    field += line[i++];
                } else if (i + 1 < line.size() && line[i + 1] == '"') {
                    field += '"';
                    i += 2;
                } else {
                    ++i;
                    closed = true;
                    break;
                }
            }
            if (!closed) {
                result.error = "unterminated quote";
                return result;
            }
            if (i < line.size() && line[i] != ',') {
                result.error = "text after a closing quote";
                return result;
            }
        } else {
            const auto end = std::min(line.find(',', i), line.size());
            field.assign(line.substr(i, end - i));
            if (field.find('"') != std::string::npos) {
                result.error = "quote inside a field that does not start with one";
                return result;
            }
            i = end;
        }
        result.fields.push_back(field);
        if (i >= line.size())
            return result;
        ++i; // the comma
    }
}

std::optional<NamesCsv::Direction> parseDirection(std::string_view text)
{
    const std::string word = ToLowerAscii(Trim(text));
    if (word == "input")
        return NamesCsv::Direction::Input;
    if (word == "output")
        return NamesCsv::Direction::Output;
    return std::nullopt;
}

std::optional<int> parseNumber(std::string_view text)
{
    const std::string digits = Trim(text);
    text = digits;
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || number < 1 ||
        number > NamesCsv::kMaxNumber)
        return std::nullopt;
    return number;
}

std::string quotedForMessage(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

} // namespace

void NamesCsv::appendField(std::string &out, std::string_view field)
{
    // Blanks at the ends are quoted too, so a spreadsheet that trims bare cells keeps them.
    const bool quote = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!field.empty() && (field.front() == ' ' || field.back() == ' '));
    if (!quote) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

std::string NamesCsv::write(const std::vector<Row> &rows)
{
    std::string out(kHeader);
    out += "\r\n";
    for (const Row &row : rows) {
        out += directionText(row.direction);
        out += ',';
        out += std::to_string(row.number);
        out += ',';
        appendField(out, row.name);
        out += "\r\n";
    }
    return out;
}

NamesCsv::ReadResult NamesCsv::read(std::string_view text)
{
    ReadResult result;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());

    const std::vector<std::string> lines = SplitLines(text);

    bool headerSeen = false;
    std::set<std::pair<Direction, int>> named;
    auto refuse = [&result](std::size_t index, std::string reason) {
        result.refused.push_back({static_cast<int>(index + 1), std::move(reason)});
    };
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::string_view line = lines[index];
        if (line.empty())
            continue;
        if (!IsValidUtf8(line)) {
            refuse(index, "invalid UTF-8");
            if (!headerSeen)
                return result;
            continue;
        }
        const SplitLine split = splitFields(line);
        if (!headerSeen) {
            headerSeen = true;
            std::string header;
            for (const auto &field : split.fields)
                header += (header.empty() ? "" : ",") + ToLowerAscii(Trim(field));
            if (!split.error.empty() || split.fields.size() != 3 || header != kHeader) {
                // Without the header the columns are unknown: nothing below is trusted.
                refuse(index, "bad header: the first line must be " + std::string(kHeader));
                return result;
            }
            continue;
        }
        if (!split.error.empty()) {
            refuse(index, split.error);
            continue;
        }
        // A spreadsheet's empty rows come out as bare commas.
        if (std::all_of(split.fields.begin(), split.fields.end(),
                        [](const std::string &field) { return Trim(field).empty(); }))
            continue;
        if (split.fields.size() != 3) {
            refuse(index, "wrong field count: " + std::to_string(split.fields.size()) +
                              " fields instead of 3");
            continue;
        }
        const auto direction = parseDirection(split.fields[0]);
        if (!direction) {
            refuse(index,
                   "unknown direction " + quotedForMessage(split.fields[0]) + " (input or output)");
            continue;
        }
        const auto number = parseNumber(split.fields[1]);
        if (!number) {
            refuse(index, "number " + quotedForMessage(split.fields[1]) +
                              " is not a whole number from 1 to " + std::to_string(kMaxNumber));
            continue;
        }
        if (!named.insert({*direction, *number}).second) {
            refuse(index, std::string(directionText(*direction)) + " " + std::to_string(*number) +
                              " is named on an earlier line");
            continue;
        }
        result.rows.push_back({*direction, *number, split.fields[2], static_cast<int>(index + 1)});
    }
    if (!headerSeen)
        result.refused.push_back({1, "bad header: the first line must be " + std::string(kHeader)});
    return result;
}

} // namespace corvantis

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvantis {

// Input and output names exchanged with spreadsheets: UTF-8 text with RFC 4180 quoting and
// the header line "direction,number,name". Numbers are those the window shows (from 1).
// Reading keeps every good line and tells why each other line was refused, so one bad cell
// costs only its own line.
class NamesCsv {
public:
    static constexpr int kMaxNumber = 128;
    static constexpr std::string_view kHeader = "direction,number,name";

    enum class Direction { Input, Output };

    struct Row {
        Direction direction = Direction::Input;
        int number = 1;
        std::string name;
        // Where the row was read, counted from 1; 0 for rows not read from a file.
        int line = 0;
        // The same name for the same port, wherever the row came from.
        bool operator==(const Row &other) const
        {
            return direction == other.direction && number == other.number && name == other.name;
        }
    };

    struct Refusal {
        int line = 0; // counted from 1
        std::string reason;
        bool operator==(const Refusal &) const = default;
    };

    struct ReadResult {
        std::vector<Row> rows;
        std::vector<Refusal> refused;
    };

    // Lines end in CR LF.
    static std::string write(const std::vector<Row> &rows);
    // Accepts CR LF, LF or CR line ends and a leading byte order mark; skips empty lines and
    // rows of bare commas. A name never spans lines (the configuration file keeps one name per
    // field of a line), so a quote still open at a line's end refuses that line alone.
    static ReadResult read(std::string_view text);

private:
    static void appendField(std::string &out, std::string_view field);
};

} // namespace corvantis

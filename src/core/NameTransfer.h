#pragma once

#include "config/NamesCsv.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvantis {

class AppCore;

// Names to and from a spreadsheet file, by the numbers the names panels show. An import takes
// each name as typing it into the names panels would, and keeps what it replaced so one undo
// puts it back.
class NameTransfer {
public:
    struct Replaced {
        NamesCsv::Direction direction = NamesCsv::Direction::Input;
        int frameAddress = 0;
        int port = 0;
        std::string name;
    };

    struct ImportResult {
        int changed = 0;
        std::vector<NamesCsv::Refusal> refused;
        // In the order applied; undone in reverse.
        std::vector<Replaced> replaced;
    };

    // Every number some router owns, inputs first.
    static std::vector<NamesCsv::Row> rows(const AppCore &core);
    static ImportResult apply(AppCore &core, std::string_view csvText);
    // Puts the replaced names back on the routers that still have those ports.
    static void undo(AppCore &core, const std::vector<Replaced> &replaced);
    // The one message an import ends with.
    static std::string summary(std::string_view fileName, const ImportResult &result);
};

} // namespace corvantis

#include "core/NameTransfer.h"

#include "core/AppCore.h"
#include "model/NameRule.h"
#include "model/clsRouter.h"

#include <algorithm>

namespace corvantis {

namespace {

constexpr std::size_t kRefusalsListed = 20;

AppCore::Side sideOf(NamesCsv::Direction direction)
{
    return direction == NamesCsv::Direction::Input ? AppCore::Side::Input : AppCore::Side::Output;
}

std::string nameOf(const clsRouter &router, AppCore::Side side, int port)
{
    return side == AppCore::Side::Input ? router.RouterInName(port) : router.RouterOutName(port);
}

int countOf(const AppCore &core, AppCore::Side side)
{
    return (side == AppCore::Side::Input ? core.matrix().MaxInput() : core.matrix().MaxOutput()) +
           1;
}

} // namespace

std::vector<NamesCsv::Row> NameTransfer::rows(const AppCore &core)
{
    std::vector<NamesCsv::Row> rows;
    for (const auto direction : {NamesCsv::Direction::Input, NamesCsv::Direction::Output}) {
        const AppCore::Side side = sideOf(direction);
        for (int logical = 0; logical < countOf(core, side); ++logical) {
            const PhysicalPort owner = core.NameOwnerAt(side, logical);
            if (owner.router && owner.port >= 0)
                rows.push_back({direction, logical + 1, nameOf(*owner.router, side, owner.port)});
        }
    }
    return rows;
}

NameTransfer::ImportResult NameTransfer::apply(AppCore &core, std::string_view csvText)
{
    NamesCsv::ReadResult read = NamesCsv::read(csvText);
    ImportResult result;
    result.refused = std::move(read.refused);

    struct Target {
        PhysicalPort owner;
        NamesCsv::Direction direction;
        std::string name;
    };
    std::vector<Target> targets;
    for (const NamesCsv::Row &row : read.rows) {
        const AppCore::Side side = sideOf(row.direction);
        const char *word = side == AppCore::Side::Input ? "input " : "output ";
        const PhysicalPort owner = row.number <= countOf(core, side)
                                       ? core.NameOwnerAt(side, row.number - 1)
                                       : PhysicalPort{};
        if (!owner.router || owner.port < 0) {
            result.refused.push_back(
                {row.line, "no router owns " + std::string(word) + std::to_string(row.number)});
            continue;
        }
        if (!IsAcceptableName(row.name)) {
            result.refused.push_back({row.line, std::string(kNameRefusal)});
            continue;
        }
        targets.push_back({owner, row.direction, row.name});
    }

    // The imported ports are emptied first, so names moved between ports (a sorted
    // spreadsheet) are not taken for duplicates of the names they replace.
    for (const Target &target : targets) {
        clsRouter &router = *target.owner.router;
        const AppCore::Side side = sideOf(target.direction);
        result.replaced.push_back({target.direction, router.FrameAddress(), target.owner.port,
                                   nameOf(router, side, target.owner.port)});
        AppCore::StoreName(router, side, target.owner.port, std::string());
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const Target &target = targets[i];
        const std::string stored = AppCore::StoreName(
            *target.owner.router, sideOf(target.direction), target.owner.port, target.name);
        if (stored != result.replaced[i].name)
            ++result.changed;
    }
    std::sort(result.refused.begin(), result.refused.end(),
              [](const auto &a, const auto &b) { return a.line < b.line; });
    return result;
}

void NameTransfer::undo(AppCore &core, const std::vector<Replaced> &replaced)
{
    for (auto it = replaced.rbegin(); it != replaced.rend(); ++it) {
        clsRouter *router = core.config().routers.at(it->frameAddress);
        const bool input = it->direction == NamesCsv::Direction::Input;
        const int count = router ? (input ? router->InputCount() : router->OutputCount()) : -1;
        // Stored directly: these names were valid and unique before the import.
        if (router && it->port <= count) {
            if (input)
                router->SetRouterInName(it->port, it->name);
            else
                router->SetRouterOutName(it->port, it->name);
        }
    }
}

std::string NameTransfer::summary(std::string_view fileName, const ImportResult &result)
{
    std::string text = "Imported " + std::string(fileName) + ": " + std::to_string(result.changed) +
                       (result.changed == 1 ? " name changed." : " names changed.");
    if (result.refused.empty())
        return text;
    text += "\n" + std::to_string(result.refused.size()) +
            (result.refused.size() == 1 ? " line refused:" : " lines refused:");
    for (std::size_t i = 0; i < result.refused.size() && i < kRefusalsListed; ++i)
        text +=
            "\nLine " + std::to_string(result.refused[i].line) + ": " + result.refused[i].reason;
    if (result.refused.size() > kRefusalsListed)
        text += "\n... and " + std::to_string(result.refused.size() - kRefusalsListed) + " more";
    return text;
}

} // namespace corvantis

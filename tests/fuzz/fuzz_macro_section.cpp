// The lines of a macro section through LoadMacros. What loads must save and load back to the
// same section.
#include "config/MacroStore.h"
#include "support/ScriptedPlatform.h"
#include "util/TextCodec.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace corvantis;

namespace {

test::ScriptedPlatform &scripted()
{
    static test::ScriptedPlatform instance;
    return instance;
}

std::int32_t load(MacroStore &store, const std::vector<std::string> &lines, std::size_t first)
{
    std::size_t next = first;
    std::int32_t counter = 0;
    store.LoadMacros(
        [&]() -> std::optional<std::string_view> {
            if (next >= lines.size())
                return std::nullopt;
            return std::string_view(lines[next++]);
        },
        counter);
    return counter;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    auto &platform = scripted();
    const auto lines =
        SplitLines(DecodeFileText(std::string_view(reinterpret_cast<const char *>(data), size)));

    MacroStore store;
    if (load(store, lines, 0) > static_cast<std::int32_t>(lines.size()))
        std::abort();
    const auto section = store.SaveMacros();

    platform.clear();
    MacroStore again;
    const auto savedLines = SplitLines(section);
    load(again, savedLines, 1);
    if (again.SaveMacros() != section || !platform.messages.empty())
        std::abort();
    platform.clear();
    return 0;
}

// Any bytes through the names CSV reader. Every row it keeps must write and read back to the
// same rows without a refusal, and stay inside the numbers the window shows.
#include "config/NamesCsv.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace corvantis;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const NamesCsv::ReadResult first = NamesCsv::read(text);
    for (const auto &row : first.rows)
        if (row.number < 1 || row.number > NamesCsv::kMaxNumber)
            std::abort();
    for (const auto &refusal : first.refused)
        if (refusal.line < 1 || static_cast<std::size_t>(refusal.line) > size + 1 ||
            refusal.reason.empty())
            std::abort();

    const NamesCsv::ReadResult again = NamesCsv::read(NamesCsv::write(first.rows));
    if (!again.refused.empty() || again.rows != first.rows)
        std::abort();
    return 0;
}

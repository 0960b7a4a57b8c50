// Router text through clsRouter::SetStringVal. A router that takes the text must write a text
// that a fresh router takes unchanged.
#include "model/clsRouter.h"
#include "support/ScriptedPlatform.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    auto &platform = scripted();
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    clsRouter router;
    router.SetStringVal(text);
    if (router.isValid()) {
        const auto written = router.StringVal();
        clsRouter copy;
        copy.SetStringVal(written);
        if (!copy.isValid() || copy.StringVal() != written)
            std::abort();
    }
    if (!platform.unexpected.empty())
        std::abort();
    platform.clear();
    return 0;
}

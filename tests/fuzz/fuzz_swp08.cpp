// Arbitrary bytes to the binary panel protocol's reader, in chunks the first byte chooses:
// the events never depend on how the stream was split, every message passed its checks and
// frames back to the same data, and every request the parser accepts is in range.
#include "net/Swp08Framing.h"
#include "net/Swp08Message.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

using namespace corvantis::swp08;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t chunk = data[0] % 16 + 1;
    const std::span<const std::uint8_t> stream(data + 1, size - 1);

    FrameReader whole;
    const auto expected = whole.feed(stream);
    FrameReader split;
    std::vector<FrameReader::Event> got;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
        auto events = split.feed(stream.subspan(at, std::min(chunk, stream.size() - at)));
        got.insert(got.end(), events.begin(), events.end());
    }
    const auto same = [](const FrameReader::Event &a, const FrameReader::Event &b) {
        return a.kind == b.kind && a.data == b.data && a.reason == b.reason;
    };
    if (!std::ranges::equal(expected, got, same) || whole.pending() != split.pending() ||
        whole.pending() > kMaxData + 2)
        std::abort();

    for (const auto &event : expected) {
        if (event.kind != FrameReader::Event::Kind::Message)
            continue;
        if (event.data.empty() || event.data.size() > kMaxData)
            std::abort();
        FrameReader again;
        const auto round = again.feed(EncodeMessage(event.data));
        if (round.size() != 1 || round[0].data != event.data)
            std::abort();
        const Request request = ParseRequest(event.data);
        if (request.valid && (request.destination < 0 || request.destination > 0xFFFF ||
                              request.source < 0 || request.source > 0xFFFF || request.device < 0 ||
                              request.device > 0xFFFF || request.matrix < 0 ||
                              request.matrix > 0xFF || request.level < 0 || request.level > 0xFF))
            std::abort();
        if (!request.valid && request.reason.empty())
            std::abort();
    }
    return 0;
}

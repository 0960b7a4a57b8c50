// The SW-P-08 server's largest answers: a tally dump of 128 destinations and all 128 source
// names at 16 characters, each from the request to the last byte the controller read. Server
// and controller share one event loop, so the figures include the controller's own reading.
#include "BenchControllers.h"
#include "FakeMatrixControl.h"
#include "core/OutputLocks.h"
#include "net/Swp08Server.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <cstdio>

using namespace corvantis;
using namespace corvantis::bench;

namespace {

constexpr double kAllowedMs = 2.0;
constexpr int kRounds = 300;

// Sends the request and times it until the expected number of messages have been read.
std::vector<double> timeAnswers(Controller &c, const swp08::Bytes &request, std::size_t messages)
{
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        c.messages.clear();
        const auto sent = Clock::now();
        c.send(request);
        if (!waitFor([&] { return c.messages.size() >= messages; })) {
            std::fprintf(stderr, "no answer to round %d\n", round);
            return {};
        }
        times.push_back(ms(c.lastRead - sent));
    }
    return times;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("corvantis.net*.info=false"));
    test::FakeMatrixControl::Layout layout = test::FakeMatrixControl::squareLayout(128);
    for (int n = 0; n < 128; ++n)
        layout.inputLabels[n] = QStringLiteral("Source name %1").arg(n, 4, 10, QLatin1Char('0'));
    test::FakeMatrixControl matrix(layout);
    OutputLocks locks;
    Swp08Server server(matrix, locks);
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 1;
    const auto controller = connectController(server.serverPort());

    // Both levels are routed alike: one byte-form dump of 128; sixteen messages of 8 names.
    const auto dump = timeAnswers(*controller, {0x15, 0x00}, 1);
    const auto names = timeAnswers(*controller, {0x64, 0x00, 0x03}, 16);
    if (dump.empty() || names.empty())
        return 1;
    std::printf("%d rounds each, one controller\n", kRounds);
    report("tally dump, 128 destinations", dump);
    report("source names, 128 at 16 characters", names);
    std::printf("target: at most %.1f ms each (median: dump %.3f ms, names %.3f ms)\n", kAllowedMs,
                median(dump), median(names));
    return median(dump) <= kAllowedMs && median(names) <= kAllowedMs ? 0 : 1;
}

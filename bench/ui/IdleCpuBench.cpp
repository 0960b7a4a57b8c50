// The CPU the program uses while nobody touches it: the 100 ms timer ticking and, for the
// model that is polled, the alive poll every two seconds taking the sixteen routers in turn
// (their health, the badges) against the virtual router line, which runs as its own process
// so only the program is measured. The default run is long enough for every router's turn.

#include "BenchSupport.h"
#include "core/AppCore.h"
#include "ui/Theme.h"
#include "ui/frmMainMatrix.h"
#include "util/GeneralFunctions.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using namespace corvantis;
using namespace corvantis::bench;

namespace {

constexpr double kLimitPercent = 0.5;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Theme::apply(app);
    const int seconds = argc > 1 ? std::max(2, atoi(argv[1])) : 40;

    QTemporaryDir data;
    AnsweringPlatform answers({}, data.path().toStdString());
    setPlatform(&answers);
    // Model 4 is the one whose line is polled for signs of life.
    Configuration config = sixteenRouters(4);
    const std::string rcf = ProgramDataFolder() + "idle.rcf";
    if (!writeConfiguration(config, rcf))
        return 1;
    AnsweringPlatform operatorAnswers(rcf, data.path().toStdString());
    setPlatform(&operatorAnswers);

    const QString link = QString::fromStdString(ProgramDataFolder()) + QStringLiteral("ports/com1");
    QProcess sim;
    sim.setStandardInputFile(QProcess::nullDevice());
    sim.start(
        QStringLiteral(CORVANTIS_SIM_PATH),
        {QStringLiteral("--config"), QString::fromStdString(rcf), QStringLiteral("--link"), link});
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(link) && waited.elapsed() < 10000)
        runFor(20);
    if (!QFileInfo::exists(link)) {
        std::fprintf(stderr, "the virtual line did not start\n");
        return 1;
    }

    int status = 0;
    {
        AppCore core;
        frmMainMatrix window(core);
        window.Form_Load();
        window.show();
        runFor(3000);
        const quint64 framesBefore = core.link().transmissions();
        const double cpuBefore = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        runFor(seconds * 1000);
        const double cpu = cpuSeconds() - cpuBefore;
        const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;
        const quint64 polls = core.link().transmissions() - framesBefore;
        const auto routers = core.configuredRouters();
        const auto online = std::count_if(routers.begin(), routers.end(), [&](int address) {
            return core.health().at(address).state == RouterHealth::State::Online;
        });
        const double percent = 100.0 * cpu / elapsed;
        std::printf("idle for %.1f s with the 100 ms timer and %llu alive polls, %lld of %zu "
                    "routers online: %.3f s CPU = %.2f %% of one core (limit %.1f %%): %s\n",
                    elapsed, static_cast<unsigned long long>(polls), static_cast<long long>(online),
                    routers.size(), cpu, percent, kLimitPercent,
                    percent <= kLimitPercent ? "ok" : "TOO MUCH");
        if (online != static_cast<long long>(routers.size()) || percent > kLimitPercent)
            status = 1;
        window.hide();
    }
    sim.terminate();
    sim.waitForFinished(5000);
    setPlatform(nullptr);
    return status;
}

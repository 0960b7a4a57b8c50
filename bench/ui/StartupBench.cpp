// From process start to the main window's first paint with sixteen routers, and the resident
// memory then. The program starts itself as a child for each run; the start-up question and
// the load dialog are answered at once, as an operator who knows what to load would.

#include "BenchSupport.h"
#include "core/AppCore.h"
#include "sim/VirtualRouterLine.h"
#include "ui/CrosspointGrid.h"
#include "ui/Theme.h"
#include "ui/frmMainMatrix.h"
#include "util/GeneralFunctions.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace corvantis;
using namespace corvantis::bench;

namespace {

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(static_cast<qsizetype>(qstrlen(field)))
                .trimmed()
                .split(' ')
                .front()
                .toLong();
    return -1;
}

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Once this paint has finished.
            QTimer::singleShot(0, qApp, [] {
                std::printf("%lld %ld %ld\n", monotonicNs(), statusKb("VmRSS:"),
                            statusKb("VmHWM:"));
                std::fflush(stdout);
                // As the operator would: the window closes, and the program ends with it.
                for (QWidget *window : QApplication::topLevelWidgets())
                    if (window->isVisible())
                        window->close();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

int child(int argc, char *argv[])
{
    if (argc < 4)
        return 2;
    QApplication app(argc, argv);
    Theme::apply(app);
    AnsweringPlatform answers(argv[2], argv[3]);
    setPlatform(&answers);
    int status = 0;
    {
        AppCore core;
        frmMainMatrix window(core);
        FirstPaint watcher;
        window.grid()->installEventFilter(&watcher);
        window.Form_Load();
        window.show();
        status = QApplication::exec();
    }
    setPlatform(nullptr);
    return status;
}

int parent(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    QTemporaryDir data;
    AnsweringPlatform answers({}, data.path().toStdString());
    setPlatform(&answers);
    const std::string config = ProgramDataFolder() + "sixteen.rcf";
    if (!writeConfiguration(sixteenRouters(), config))
        return 1;
    // The routers' line, so COM1 opens as it would at an operator's desk.
    VirtualRouterLine line;
    line.setCommType(1);
    for (int slot = 0; slot < 16; ++slot)
        line.addRouter({slot, 8, 8, 8 * slot});
    if (!line.open(QString::fromStdString(ProgramDataFolder()) + QStringLiteral("ports/com1")))
        return 1;

    std::vector<double> millis;
    long rss = 0;
    long peak = 0;
    for (int run = 0; run < runs; ++run) {
        QProcess process;
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        const long long start = monotonicNs();
        process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--child"), QString::fromStdString(config), data.path()});
        loop.exec();
        const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
        if (process.exitCode() != 0 || fields.size() != 3) {
            std::fprintf(stderr, "run %d failed: %s\n", run,
                         process.readAllStandardError().constData());
            return 1;
        }
        millis.push_back(static_cast<double>(fields[0].toLongLong() - start) / 1e6);
        rss = std::max(rss, fields[1].toLong());
        peak = std::max(peak, fields[2].toLong());
    }
    std::sort(millis.begin(), millis.end());
    std::printf("start to first paint, 16 routers (128 x 128), %d runs: median %.1f ms, "
                "min %.1f ms, max %.1f ms (limit 300 ms)\n",
                runs, millis[millis.size() / 2], millis.front(), millis.back());
    std::printf("resident memory at first paint: %.1f MB, peak %.1f MB (limit 80 MB)\n",
                static_cast<double>(rss) / 1024.0, static_cast<double>(peak) / 1024.0);
    setPlatform(nullptr);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv);
    return parent(argc, argv);
}

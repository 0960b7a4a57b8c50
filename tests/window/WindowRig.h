#pragma once

// The main window on a fresh data folder, with the virtual router line behind COM1. Shared by
// the window tests; header-only so each test stays its own executable.

#include "config/ConfigFile.h"
#include "core/AppCore.h"
#include "link/Framing.h"
#include "sim/VirtualRouterLine.h"
#include "support/ScriptedPlatform.h"
#include "ui/CrosspointGrid.h"
#include "ui/PictureButton.h"
#include "ui/ShapeLamp.h"
#include "ui/frmMainMatrix.h"
#include "util/GeneralFunctions.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <vector>

namespace corvantis::test {

struct RouterSpec {
    int frameAddress = 0;
    int type = 7;
    int inputs = 16;
    int outputs = 16;
    int mapIn = 0;
    int mapOut = 0;
    bool audioBreakaway = false;
};

struct LineSpec {
    int commType = kTypeB;
    int routerType = 7;
    float routerTimeout = 0.2f;
    bool matrixSize = false;
    std::vector<RouterSpec> routers = {RouterSpec{}};
};

inline std::unique_ptr<clsRouter> makeRouter(const RouterSpec &spec)
{
    auto router = std::make_unique<clsRouter>();
    router->SetRouterType(spec.type);
    router->SetFrameAddress(spec.frameAddress);
    router->SetInputCount(spec.inputs - 1);
    router->SetOutputCount(spec.outputs - 1);
    router->SetMapIn(spec.mapIn);
    router->SetMapOut(spec.mapOut);
    router->AudioBreakaway = spec.audioBreakaway;
    return router;
}

// Processes events until the condition holds; false when the limit passed first.
inline bool waitFor(const std::function<bool()> &condition, int limitMs = 10000)
{
    QDeadlineTimer deadline(limitMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

class WindowRig {
public:
    WindowRig()
    {
        platform.dataFolder = dataDir.path().toStdString();
        line.setPacing(false);
    }
    ~WindowRig()
    {
        if (window) {
            // Nothing may be asked on the way out.
            window->hide();
            window.reset();
        }
        core.reset();
        line.close();
    }
    WindowRig(const WindowRig &) = delete;
    WindowRig &operator=(const WindowRig &) = delete;

    // A configuration file with these routers, as the load dialog would find it.
    QString writeConfiguration(const LineSpec &spec, const QString &name = "test.rcf")
    {
        Configuration config;
        config.settings.CommPortName = "COM1";
        config.settings.CommType = static_cast<std::int16_t>(spec.commType);
        config.settings.RouterTimeout = spec.routerTimeout;
        config.settings.MatrixSize = spec.matrixSize;
        for (const auto &router : spec.routers)
            config.routers.set(router.frameAddress, makeRouter(router));
        const QString path = dataDir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        file.write(QByteArray::fromStdString(ConfigText(config)));
        return path;
    }

    // The line with the same routers, its device linked where COM1 is looked for.
    void openLine(const LineSpec &spec)
    {
        line.setCommType(spec.commType);
        line.clearRouters();
        for (const auto &router : spec.routers)
            line.addRouter({router.frameAddress, router.inputs, router.outputs, router.mapOut});
        if (!line.open(QString::fromStdString(ProgramDataFolder()) + "ports/com1"))
            qFatal("virtual line: %s", qPrintable(line.errorString()));
    }

    // Makes the core and the window; the link's fixed pauses are shortened so many commands
    // fit into a test.
    void makeWindow()
    {
        core = std::make_unique<AppCore>();
        SerialLink::Timings fast;
        fast.closing = std::chrono::milliseconds(2);
        fast.noWait = std::chrono::milliseconds(2);
        fast.resend = std::chrono::milliseconds(5);
        fast.statusReply = std::chrono::milliseconds(60);
        core->link().setTimings(fast);
        window = std::make_unique<frmMainMatrix>(*core);
    }

    // The whole start-up with the answer Yes and this file chosen in the load dialog.
    void startWithFile(const LineSpec &spec, bool withLine = true)
    {
        const QString path = writeConfiguration(spec);
        if (withLine)
            openLine(spec);
        makeWindow();
        platform.answers.push_back(MessageAnswer::Yes);
        platform.fileAnswers.push_back(path.toStdString());
        window->Form_Load();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        if (withLine)
            settle();
    }

    // The start-up status request of the models that send one has been answered and applied,
    // and the periodic one is five minutes away: a status reply taken in the middle of a
    // test's routes and applied a tick later would undo the routes made in between.
    void settle()
    {
        const int type = core->settings().CurrentRouterType;
        if (type == 0 || type == 1 || type == 3)
            return;
        const QByteArray status = frame(core->settings().CommType, 0, CmdStatus, 15, 15);
        QVERIFY(waitFor([&] {
            return received(status) >= 1 && !core->link().CommBusy() &&
                   core->link().StatusBuffer().isEmpty();
        }));
        core->poller().setStatusPollCounter(0);
    }

    CrosspointGrid &grid() const { return *window->grid(); }
    static int cell(int row, int column) { return row * 16 + column; }
    int picture(int row, int column) const { return grid().picture(cell(row, column)); }

    template <typename T> T *child(const QString &name) const
    {
        auto *widget = window->findChild<T *>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }

    static QByteArray frame(int commType, int frameAddress, int code, int p3, int p4)
    {
        const Bytes bytes = BuildFrame(commType, frameAddress, code, p3, p4);
        return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    int received(const QByteArray &wanted) const
    {
        const auto frames = line.receivedFrames();
        return static_cast<int>(std::count(frames.begin(), frames.end(), wanted));
    }
    // Frames the line received that are not the status polls of the timer.
    QList<QByteArray> commands() const
    {
        QList<QByteArray> result;
        for (const auto &f : line.receivedFrames())
            if (!f.startsWith("//F00U") && !f.startsWith(QByteArray("\xBE\xEF\x00\x00\x04", 5)))
                result << f;
        return result;
    }

    ScriptedPlatform platform;
    QTemporaryDir dataDir;
    VirtualRouterLine line;
    std::unique_ptr<AppCore> core;
    std::unique_ptr<frmMainMatrix> window;
};

} // namespace corvantis::test

#pragma once

// The main window on a fresh data folder, with the virtual router line behind COM1. Shared by
// the window tests; header-only so each test stays its own executable.

#include "config/ConfigFile.h"
#include "core/AppCore.h"
#include "link/Framing.h"
#include "sim/VirtualRouterLine.h"
#include "support/RouterSpec.h"
#include "support/ScriptedPlatform.h"
#include "ui/CrosspointGrid.h"
#include "ui/PictureButton.h"
#include "ui/frmMainMatrix.h"
#include "util/GeneralFunctions.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <vector>

using namespace std::chrono_literals;

namespace corvantis::test {

struct LineSpec {
    int commType = kTypeB;
    std::vector<RouterSpec> routers = {RouterSpec{}};
};

template <typename T> T *control(const QWidget *window, const QString &name)
{
    auto *widget = window->findChild<T *>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

class WindowRig {
public:
    static constexpr float kGap = 0.002f;

    WindowRig()
    {
        platform.dataFolder = dataDir.path().toStdString();
        line.setPacing(false);
    }
    // Nothing may be asked on the way out.
    ~WindowRig()
    {
        if (window)
            window->hide();
    }

    // The line with these routers, its device linked where COM1 is looked for.
    void openLine(const LineSpec &spec)
    {
        line.setCommType(spec.commType);
        line.clearRouters();
        for (const auto &router : spec.routers)
            line.addRouter({router.frameAddress, router.inputs, router.outputs, router.mapOut});
        if (!line.open(QString::fromStdString(ProgramDataFolder()) + "ports/com1"))
            qFatal("virtual line: %s", qPrintable(line.errorString()));
    }

    // Makes the core and the window; the line's pauses are shortened so many commands fit
    // into a test. A file loaded later sets the gap again: files of startWithFile keep it.
    void makeWindow()
    {
        core = std::make_unique<AppCore>();
        core->settings().CommandGap = kGap;
        core->link().setTimings({.noWait = 2ms, .resend = 5ms, .statusReply = 60ms});
        window = std::make_unique<frmMainMatrix>(*core);
    }

    // The whole start-up with the answer Yes and a file of the same routers chosen in the
    // load dialog.
    void startWithFile(const LineSpec &spec)
    {
        Configuration config;
        config.settings.CommPortName = "COM1";
        config.settings.CommType = static_cast<std::int16_t>(spec.commType);
        config.settings.RouterTimeout = 0.2f;
        config.settings.CommandGap = kGap;
        for (const auto &router : spec.routers)
            config.routers.set(router.frameAddress, makeRouter(router));
        if (!writeFile(configPath(), QByteArray::fromStdString(ConfigText(config))))
            qFatal("cannot write %s", qPrintable(configPath()));
        openLine(spec);
        makeWindow();
        startFrom(configPath());
    }
    QString configPath() const { return dataDir.filePath("test.rcf"); }
    // The start-up of a made window with the answer Yes and this file chosen in the load dialog.
    void startFrom(const QString &path)
    {
        platform.answers.push_back(MessageAnswer::Yes);
        platform.fileAnswers.push_back(path.toStdString());
        window->Form_Load();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        settle();
    }
    // Ends the rig of a test; a question nobody answered fails it.
    static void release(std::unique_ptr<WindowRig> &rig)
    {
        const auto unexpected = rig->platform.unexpected;
        rig.reset();
        QVERIFY2(unexpected.empty(), unexpected.empty() ? "" : unexpected.front().c_str());
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
        QTRY_VERIFY_WITH_TIMEOUT(received(status) >= 1 && !core->link().CommBusy() &&
                                     core->link().StatusBuffer().isEmpty(),
                                 10000);
        core->poller().setStatusPollCounter(0);
    }

    // Every action the clicks started has ended and no poll is on the line.
    void finishActions()
    {
        QTRY_VERIFY_WITH_TIMEOUT(core->actions().Idle() && !core->link().CommBusy() &&
                                     !core->poller().LineWorkRunning(),
                                 10000);
    }

    // Calls step with the modal dialog of that name whenever it is up, until step says done.
    void onModal(const QString &name, std::function<bool(QWidget *)> step)
    {
        modalWatch = std::make_unique<QTimer>();
        QTimer *watch = modalWatch.get();
        QObject::connect(watch, &QTimer::timeout, watch, [watch, name, step] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal->objectName() == name && step(modal))
                watch->stop();
        });
        watch->start(5);
    }

    CrosspointGrid &grid() const { return *window->grid(); }
    static int cell(int row, int column) { return row * 16 + column; }
    int picture(int row, int column) const { return grid().picture(cell(row, column)); }
    template <typename T> T *child(const QString &name) const
    {
        return control<T>(window.get(), name);
    }

    static bool writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    // Empty when the file cannot be read.
    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    std::unique_ptr<QTimer> modalWatch;
};

} // namespace corvantis::test

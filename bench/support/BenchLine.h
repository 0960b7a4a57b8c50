#pragma once

// What the timing programs share: the virtual router line in a thread of its own, so the
// figures are the program's alone, and one router's worth of program below the window.

#include "config/ConfigFile.h"
#include "config/MacroRecording.h"
#include "link/Framing.h"
#include "link/RoutingEngine.h"
#include "link/SerialLink.h"
#include "link/StatusPoller.h"
#include "model/LogicalMatrix.h"
#include "sim/VirtualRouterLine.h"
#include "util/GeneralFunctions.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

namespace corvantis::bench {

class LineThread {
public:
    LineThread()
    {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        run([this] { m_line = std::make_unique<VirtualRouterLine>(); });
    }
    ~LineThread()
    {
        run([this] { m_line.reset(); });
        m_thread.quit();
        m_thread.wait();
    }
    // Runs f in the line's thread and waits for it.
    void run(const std::function<void()> &f)
    {
        QMetaObject::invokeMethod(&m_context, f, Qt::BlockingQueuedConnection);
    }
    VirtualRouterLine &line() { return *m_line; }

private:
    QThread m_thread;
    QObject m_context;
    std::unique_ptr<VirtualRouterLine> m_line;
};

// One 16 x 16 router on COM1.
struct Program {
    Program(int commType, int routerType)
    {
        auto router = std::make_unique<clsRouter>();
        router->SetRouterType(routerType);
        router->SetInputCount(15);
        router->SetOutputCount(15);
        config.routers.set(0, std::move(router));
        config.settings.CommPortName = "COM1";
        config.settings.CommType = static_cast<std::int16_t>(commType);
        config.settings.CurrentRouterType = static_cast<std::int16_t>(routerType);
        config.settings.ConfigLoaded = true;
        matrix.BuildLogicalMatrix(false);
    }
    Configuration config;
    LogicalMatrix matrix{config.routers};
    MacroRecording recording;
    SerialLink link{config.settings};
    RoutingEngine engine{config, matrix, recording, link};
    StatusPoller poller{config.settings, link, engine, recording};
};

inline void processEventsFor(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// One 16 x 16 Type B router on COM1 of the data folder, in the line's thread; false when the
// line could not be opened.
inline bool openTypeBLine(LineThread &thread)
{
    bool opened = false;
    thread.run([&] {
        thread.line().setCommType(kTypeB);
        thread.line().addRouter({0, 16, 16, 0});
        opened = thread.line().open(QString::fromStdString(ProgramDataFolder()) + "ports/com1");
    });
    return opened;
}

// Runs a task of the link to its end, serving events meanwhile.
template <typename T> T finish(Task<T> task)
{
    QEventLoop loop;
    bool ended = false;
    task.start([&] {
        ended = true;
        loop.quit();
    });
    if (!ended)
        loop.exec();
    return task.result();
}

} // namespace corvantis::bench

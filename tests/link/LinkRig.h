#pragma once

#include "config/ConfigFile.h"
#include "config/MacroRecording.h"
#include "link/Framing.h"
#include "link/RoutingEngine.h"
#include "link/SerialLink.h"
#include "link/StatusPoller.h"
#include "model/LogicalMatrix.h"
#include "sim/VirtualRouterLine.h"
#include "support/ScriptedPlatform.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <vector>

namespace corvantis::test {

// The one model whose link is polled for a sign of life.
constexpr int kAliveModel = 4;

struct RigRouter {
    int frameAddress = 0;
    int inputs = 16;
    int outputs = 16;
    bool audioBreakaway = false;
};

struct RigOptions {
    int commType = kTypeA;
    std::vector<RigRouter> routers = {RigRouter{}};
    float routerTimeout = 0.2f;
    bool matrixSize = false;
    int routerType = 2;
    bool pacing = true;
};

// The program's link objects on a fresh data folder, and the virtual router line on the
// other end of the port "COM1" (the link ports/com1 in that folder).
class LinkRig {
public:
    explicit LinkRig(const RigOptions &options = {});
    ~LinkRig();

    QString portLinkPath() const;
    bool openLine() { return line.open(portLinkPath()); }
    // The line, and the program's port on it, as the window does after a setup.
    bool openLineAndPort();
    clsRouter &router(int frameAddress) { return *config.routers.at(frameAddress); }
    // Frames the line received that equal this one.
    int received(const QByteArray &frame) const;
    static QByteArray frame(int commType, int frameAddress, int code, int p3, int p4);
    // A file of these bytes in the data folder; its path.
    QString writeFile(const QString &name, const QByteArray &bytes) const;

    ScriptedPlatform platform;
    QTemporaryDir dataDir;
    VirtualRouterLine line;
    Configuration config;
    LogicalMatrix matrix{config.routers};
    MacroRecording recording;
    SerialLink link{config.settings};
    RoutingEngine engine{config, matrix, recording, link};
    StatusPoller poller{config.settings, link, engine, recording};
    // Every text the error line showed, and every frame the link sent, in order.
    QStringList errorLines;
    QList<QByteArray> sent;
};

// Pacing off; only an unanswered command feels the time-out, so it stays generous.
inline RigOptions quickRig(int commType, float routerTimeout = 0.5f)
{
    return {.commType = commType, .routerTimeout = routerTimeout, .pacing = false};
}

// An EDID of this size: the fixed header, with its run of all-ones bytes, then a pattern.
inline QByteArray sampleEdid(int size = 128)
{
    QByteArray edid = QByteArrayLiteral("\x00\xFF\xFF\xFF\xFF\xFF\xFF\x00");
    while (edid.size() < size)
        edid += static_cast<char>(edid.size() * 7);
    return edid.left(size);
}

// A free loopback port below the range the system gives outgoing connections: a server stopped
// for a while can listen on it again, no client's connection having taken it meanwhile.
quint16 freeLoopbackPort();

// Processes events until the condition holds; false when the limit passed first.
bool waitFor(const std::function<bool()> &condition,
             std::chrono::milliseconds limit = std::chrono::seconds(10));

// Runs the task to its end with events processed; throws when it does not end in time.
template <typename T>
T finish(Task<T> task, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    bool ended = false;
    task.start([&ended] { ended = true; });
    if (!waitFor([&ended] { return ended; }, limit))
        throw std::runtime_error("the task did not end");
    return task.result();
}

} // namespace corvantis::test

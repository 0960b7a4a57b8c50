#pragma once

#include "core/AppCore.h"
#include "sim/VirtualRouterLine.h"
#include "support/RouterSpec.h"
#include "support/ScriptedPlatform.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <initializer_list>

namespace corvantis::test {

// The application core on a fresh data folder with Type B routers of the given port counts at
// frame addresses 0, 1, ..., laid out one after another, and the virtual line at "COM1".
class CoreRig {
public:
    explicit CoreRig(std::initializer_list<int> ports = {16}, bool openPort = true);
    ~CoreRig();

    static QByteArray route(int output, int input);
    // The frames on the wire with resends of the same frame counted once.
    QList<QByteArray> distinctFrames() const;
    // Runs what the actions queued; false when they did not end.
    bool settle();
    // Stores the salvos as a file beside the configuration and reads them as the program does.
    void storeSalvos(const QByteArray &text);
    std::string name(AppCore::Side side, int n) const { return core.NameTextAt(side, n - 1); }

    ScriptedPlatform platform;
    QTemporaryDir dataDir;
    VirtualRouterLine line;
    AppCore core;
    QStringList errorLines;
    bool opened = false;
};

} // namespace corvantis::test

#include "CoreRig.h"

#include "LinkRig.h"
#include "util/GeneralFunctions.h"

#include <QFile>

namespace corvantis::test {

CoreRig::CoreRig(std::initializer_list<int> ports, bool openPort)
{
    platform.dataFolder = dataDir.path().toStdString();
    Settings &settings = core.settings();
    settings.CommPortName = "COM1";
    settings.RouterTimeout = 0.1f;
    // Short pauses: the order of frames is what counts here, not the protocol's timing. A file
    // saved from these settings keeps the gap.
    settings.CommandGap = 0.02f;
    settings.CommType = kTypeB;
    settings.CurrentRouterType = 2;
    settings.ConfigLoaded = true;
    line.setCommType(kTypeB);
    line.setPacing(false);
    int first = 0;
    for (const int count : ports) {
        const int address = core.config().routers.count();
        core.config().routers.set(address,
                                  makeRouter({address, 2, count, count, first, false, first}));
        line.addRouter({address, count, count, first});
        first += count;
    }
    core.Rebuild();
    core.link().setTimings({.noWait = std::chrono::milliseconds(5),
                            .resend = std::chrono::milliseconds(20),
                            .statusReply = std::chrono::milliseconds(30)});
    QObject::connect(&core.link(), &SerialLink::errorMessageChanged, &core.link(),
                     [this](const QString &text) {
                         if (!text.isEmpty())
                             errorLines << text;
                     });
    opened = line.open(QString::fromStdString(ProgramDataFolder()) + "ports/com1") &&
             (!openPort || (!finish(core.link().OpenCommPort()) &&
                            waitFor([this] { return line.isAttached(); })));
}

CoreRig::~CoreRig()
{
    core.link().CloseCommPort();
    line.close();
}

QByteArray CoreRig::route(int output, int input)
{
    return LinkRig::frame(kTypeB, 0, CmdRoute, output, input);
}

QList<QByteArray> CoreRig::distinctFrames() const
{
    QList<QByteArray> frames;
    for (const QByteArray &frame : line.receivedFrames())
        if (frames.isEmpty() || frames.back() != frame)
            frames << frame;
    return frames;
}

bool CoreRig::settle()
{
    return waitFor([this] {
        return core.actions().Idle() && !core.link().CommBusy() && !core.poller().LineWorkRunning();
    });
}

void CoreRig::storeSalvos(const QByteArray &text)
{
    const QString config = dataDir.filePath("studio.cfg");
    core.settings().ConfigFilePath = config.toStdString();
    QFile file(Salvos::pathFor(config));
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    file.close();
    core.salvos().reload();
}

} // namespace corvantis::test

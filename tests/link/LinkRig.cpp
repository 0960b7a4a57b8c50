#include "LinkRig.h"

#include "link/Framing.h"
#include "support/RouterSpec.h"
#include "util/GeneralFunctions.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTimer>
#include <algorithm>

namespace corvantis::test {

LinkRig::LinkRig(const RigOptions &options)
{
    platform.dataFolder = dataDir.path().toStdString();
    auto &settings = config.settings;
    settings.CommPortName = "COM1";
    settings.RouterTimeout = options.routerTimeout;
    settings.CommType = static_cast<std::int16_t>(options.commType);
    settings.MatrixSize = options.matrixSize;
    settings.CurrentRouterType = static_cast<std::int16_t>(options.routerType);
    settings.ConfigLoaded = true;

    line.setCommType(options.commType);
    line.setPacing(options.pacing);
    int firstOutput = 0;
    for (const auto &spec : options.routers) {
        config.routers.set(spec.frameAddress,
                           makeRouter({spec.frameAddress, options.routerType, spec.inputs,
                                       spec.outputs, firstOutput, spec.audioBreakaway}));
        line.addRouter({spec.frameAddress, spec.inputs, spec.outputs, firstOutput});
        firstOutput += spec.outputs;
    }
    if (!options.matrixSize)
        matrix.BuildLogicalMatrix(false);

    QObject::connect(&link, &SerialLink::errorMessageChanged, &link, [this](const QString &text) {
        if (!text.isEmpty())
            errorLines << text;
    });
    QObject::connect(&link, &SerialLink::frameTransmitted, &link,
                     [this](const QByteArray &frame) { sent << frame; });
}

LinkRig::~LinkRig()
{
    link.CloseCommPort();
    line.close();
}

QString LinkRig::portLinkPath() const
{
    return QString::fromStdString(ProgramDataFolder()) + QStringLiteral("ports/com1");
}

bool LinkRig::openLineAndPort()
{
    // The line hears the port only once it noticed that someone opened it.
    return openLine() && !finish(link.OpenCommPort()) && link.isOpen() &&
           waitFor([this] { return line.isAttached(); });
}

int LinkRig::received(const QByteArray &frame) const
{
    const auto frames = line.receivedFrames();
    return static_cast<int>(std::count(frames.begin(), frames.end(), frame));
}

QByteArray LinkRig::frame(int commType, int frameAddress, int code, int p3, int p4)
{
    const Bytes bytes = BuildFrame(commType, frameAddress, code, p3, p4);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString LinkRig::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(dataDir.filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName()
                                                                                : QString();
}

quint16 freeLoopbackPort()
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        const auto port = quint16(QRandomGenerator::global()->bounded(20000, 32000));
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHost, port))
            return port;
    }
    return 0;
}

bool waitFor(const std::function<bool()> &condition, std::chrono::milliseconds limit)
{
    QDeadlineTimer deadline(limit);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace corvantis::test

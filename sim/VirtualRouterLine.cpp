#include "sim/VirtualRouterLine.h"

#include "config/ConfigFile.h"
#include "sim/MessageCollector.h"
#include "util/clsDebug.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <chrono>

namespace corvantis {

namespace {

// Noise only after the line has been quiet this long, and at intervals in this range.
constexpr qint64 kNoiseQuietMs = 30;
constexpr int kNoiseMinIntervalMs = 20;
constexpr int kNoiseIntervalSpreadMs = 180;
constexpr std::array<char, 9> kNoiseBytes = {
    '\x00', '\x80', '\xC0', '\xE0', '\xF0', '\xF8', '\xFC', '\xFE', '\xFF',
};

} // namespace

VirtualRouterLine::VirtualRouterLine(QObject *parent) : QObject(parent)
{
    m_sinceActivity.start();
    m_idleTimer.setSingleShot(true);
    m_noiseTimer.setSingleShot(true);
    connect(&m_terminal, &PseudoTerminal::bytesRead, this,
            [this](const QByteArray &bytes) { m_incoming.enqueue(bytes); });
    connect(&m_socket, &SocketLine::bytesRead, this,
            [this](const QByteArray &bytes) { m_incoming.enqueue(bytes); });
    connect(&m_incoming, &PacedByteQueue::bytesDue, this, &VirtualRouterLine::takeIn);
    connect(&m_outgoing, &PacedByteQueue::bytesDue, this, [this](const QByteArray &bytes) {
        m_sinceActivity.restart();
        m_terminal.write(bytes);
        m_socket.write(bytes);
    });
    connect(&m_idleTimer, &QTimer::timeout, this, &VirtualRouterLine::lineWentQuiet);
    connect(&m_noiseTimer, &QTimer::timeout, this, &VirtualRouterLine::emitNoise);
}

VirtualRouterLine::~VirtualRouterLine()
{
    close();
}

void VirtualRouterLine::setCommType(int commType)
{
    m_responder.setCommType(commType == 0 ? 0 : 1);
}

bool VirtualRouterLine::addRouter(const Router &router)
{
    return m_state.addRouter(router, &m_error);
}

void VirtualRouterLine::clearRouters()
{
    m_state.clear();
    m_responder.reset();
}

bool VirtualRouterLine::loadConfiguration(const QString &rcfPath, QString *error)
{
    auto report = [error](const QString &text) {
        if (error)
            *error = text;
    };
    report({});
    if (!QFileInfo(rcfPath).isFile()) {
        report(QStringLiteral("%1 is not a file").arg(rcfPath));
        return false;
    }
    Configuration config;
    MessageCollector collector;
    Platform *const previous = &platform();
    const bool wasLogging = DebugLog().Enable();
    setPlatform(&collector);
    std::string path = QFile::encodeName(rcfPath).toStdString();
    ConfigLoad(path, false, config);
    setPlatform(previous);
    // The program's own debug switch in the file is not the line's business.
    if (!wasLogging && DebugLog().Enable())
        DebugLog().SetEnable(false);

    const QString messages = collector.messages().join(QLatin1Char('\n'));
    if (!config.settings.ConfigLoaded) {
        report(messages.isEmpty() ? QStringLiteral("not a configuration file") : messages);
        return false;
    }
    QList<Router> routers;
    for (int slot = 0; slot < RouterTable::kSlots; ++slot) {
        if (const clsRouter *router = config.routers.at(slot))
            routers.append(
                {slot, router->InputCount() + 1, router->OutputCount() + 1, router->MapOutput(0)});
    }
    if (routers.isEmpty()) {
        report(messages.isEmpty() ? QStringLiteral("the file holds no routers") : messages);
        return false;
    }
    SimRouterState loaded;
    QString refused;
    for (const Router &router : routers) {
        if (!loaded.addRouter(router, &refused)) {
            report(QStringLiteral("router at frame address %1: %2")
                       .arg(router.frameAddress)
                       .arg(refused));
            return false;
        }
    }
    m_state = loaded;
    m_responder.reset();
    setCommType(config.settings.CommType);
    // Whatever the file's reader had to say about lines it skipped.
    report(messages);
    return true;
}

bool VirtualRouterLine::open(const QString &linkPath)
{
    close();
    m_error.clear();
    if (!m_terminal.open(linkPath, &m_error))
        return false;
    if (m_noise)
        scheduleNoise();
    return true;
}

bool VirtualRouterLine::listen(const QHostAddress &address, quint16 port)
{
    m_error.clear();
    if (!m_socket.listen(address, port, &m_error))
        return false;
    if (m_noise)
        scheduleNoise();
    return true;
}

void VirtualRouterLine::close()
{
    m_terminal.close();
    m_socket.close();
    m_incoming.clear();
    m_outgoing.clear();
    m_idleTimer.stop();
    m_noiseTimer.stop();
    m_parser.flush();
    m_responder.reset();
    m_firstTransmission.clear();
}

void VirtualRouterLine::setPacing(bool on)
{
    m_incoming.setPacing(on);
    m_outgoing.setPacing(on);
}

void VirtualRouterLine::setDropPercent(int percent)
{
    m_dropPercent = std::clamp(percent, 0, 100);
}

void VirtualRouterLine::setSeed(quint32 seed)
{
    m_random.seed(seed);
    m_noiseRandom.seed(seed ^ 0x9E3779B9U);
}

void VirtualRouterLine::setLateMs(int ms)
{
    m_lateMs = std::max(ms, 0);
}

void VirtualRouterLine::setNoise(bool on)
{
    m_noise = on;
    if (on && isOpen())
        scheduleNoise();
    else if (!on)
        m_noiseTimer.stop();
}

void VirtualRouterLine::setSilent(bool on)
{
    m_silent = on;
}

void VirtualRouterLine::setAnswerOnResendOnly(bool on)
{
    m_resendOnly = on;
    m_firstTransmission.clear();
}

void VirtualRouterLine::setIdleResetMs(int ms)
{
    m_idleResetMs = std::max(ms, 1);
}

int VirtualRouterLine::crosspoint(int frameAddress, int output) const
{
    return m_state.crosspoint(frameAddress, output);
}

bool VirtualRouterLine::frontPanelRoute(int frameAddress, int output, int input)
{
    if (!m_state.setCrosspoint(frameAddress, output, input))
        return false;
    if (input >= 0 && !m_silent) {
        QByteArray report("U");
        report.append(static_cast<char>(input + 1));
        report.append(static_cast<char>(output + 1));
        m_outgoing.enqueue(report);
    }
    return true;
}

void VirtualRouterLine::clearCounters()
{
    m_received.clear();
    m_receivedAt.clear();
    m_framesReceived = 0;
    m_repliesSent = 0;
    m_repliesDropped = 0;
    m_discardedBase = m_parser.bytesDiscarded();
}

void VirtualRouterLine::takeIn(const QByteArray &bytes)
{
    m_sinceActivity.restart();
    m_idleTimer.start(m_idleResetMs);
    handleFrames(m_parser.feed(bytes));
}

void VirtualRouterLine::handleFrames(const QList<SimFrame> &frames)
{
    for (const SimFrame &frame : frames)
        handleFrame(frame);
}

void VirtualRouterLine::handleFrame(const SimFrame &frame)
{
    if (m_received.size() >= kMaxKeptFrames) {
        m_received.removeFirst();
        m_receivedAt.removeFirst();
    }
    m_received.append(frame.bytes);
    m_receivedAt.append(Clock::now());
    ++m_framesReceived;

    const bool edid =
        frame.kind == SimFrame::Kind::EdidHeader || frame.kind == SimFrame::Kind::EdidBlock;
    bool heard = !m_silentRouters.contains(frame.address);
    if (heard && m_resendOnly && !edid) {
        heard = frame.bytes == m_firstTransmission;
        m_firstTransmission = heard ? QByteArray() : frame.bytes;
        if (!heard)
            ++m_repliesDropped;
    }
    if (heard) {
        for (const QByteArray &reply : m_responder.respond(frame))
            sendReply(reply);
    }
    // Last, so that whoever listens sees the frame's effect and counters.
    Q_EMIT frameReceived(frame.bytes);
}

void VirtualRouterLine::setRouterSilent(int frameAddress, bool on)
{
    if (on)
        m_silentRouters.insert(frameAddress);
    else
        m_silentRouters.remove(frameAddress);
}

void VirtualRouterLine::sendReply(const QByteArray &reply)
{
    if (m_silent)
        return;
    if (m_dropPercent > 0 && static_cast<int>(m_random.bounded(100U)) < m_dropPercent) {
        ++m_repliesDropped;
        return;
    }
    m_outgoing.enqueue(reply, std::chrono::milliseconds(m_lateMs));
    ++m_repliesSent;
}

void VirtualRouterLine::lineWentQuiet()
{
    // A reply still going out (or held back) keeps the line busy: the next frame of an EDID
    // transfer comes only after it.
    const qint64 quietFor = m_sinceActivity.elapsed();
    if (!m_outgoing.isEmpty()) {
        m_idleTimer.start(m_idleResetMs);
        return;
    }
    if (quietFor < m_idleResetMs) {
        m_idleTimer.start(m_idleResetMs - static_cast<int>(quietFor));
        return;
    }
    handleFrames(m_parser.flush());
    m_responder.reset();
}

void VirtualRouterLine::scheduleNoise()
{
    m_noiseTimer.start(kNoiseMinIntervalMs +
                       static_cast<int>(m_noiseRandom.bounded(kNoiseIntervalSpreadMs)));
}

void VirtualRouterLine::emitNoise()
{
    if (!m_noise || !isOpen())
        return;
    if (!m_silent && isAttached() && isQuiet()) {
        QByteArray burst;
        const int length = 1 + static_cast<int>(m_noiseRandom.bounded(3));
        for (int i = 0; i < length; ++i)
            burst.append(
                kNoiseBytes[m_noiseRandom.bounded(static_cast<quint32>(kNoiseBytes.size()))]);
        m_outgoing.enqueue(burst);
    }
    scheduleNoise();
}

bool VirtualRouterLine::isQuiet() const
{
    return m_incoming.isEmpty() && m_outgoing.isEmpty() && m_parser.isIdle() &&
           m_sinceActivity.elapsed() >= kNoiseQuietMs;
}

} // namespace corvantis

#include "link/StatusPoller.h"

#include "config/MacroRecording.h"
#include "config/RouterCatalog.h"
#include "config/Settings.h"
#include "link/Framing.h"
#include "link/ReceiveHandling.h"
#include "link/RoutingEngine.h"
#include "link/SerialLink.h"

namespace corvantis {

namespace {

constexpr std::chrono::milliseconds kAlivePollWait{20};
constexpr std::chrono::milliseconds kTypeAStatusWait{50};

class TickGuard {
public:
    explicit TickGuard(bool &flag) : m_flag(flag) { m_flag = true; }
    ~TickGuard() { m_flag = false; }
    TickGuard(const TickGuard &) = delete;
    TickGuard &operator=(const TickGuard &) = delete;

private:
    bool &m_flag;
};

} // namespace

StatusPoller::StatusPoller(const Settings &settings, SerialLink &link, RoutingEngine &engine,
                           const MacroRecording &recording, QObject *parent)
    : QObject(parent), m_settings(settings), m_link(link), m_engine(engine), m_recording(recording)
{
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &StatusPoller::Tick);
    connect(&m_link, &SerialLink::routeFrameBuilt, this,
            [this] { m_alivePollCounter = kAfterRoute; });
    // Polls stop while the port is closed; the indicator must not keep claiming an answer.
    connect(&m_link, &SerialLink::portLost, this, [this] {
        if (RouterCatalog::traits(m_settings.CurrentRouterType).alivePoll)
            setMatrixState(MatrixState::Offline);
    });
}

void StatusPoller::start()
{
    m_timer.start();
}

void StatusPoller::stop()
{
    m_timer.stop();
}

QString StatusPoller::MatrixStateText(bool online)
{
    return online ? QStringLiteral("Matrix Online") : QStringLiteral("Matrix Offline");
}

void StatusPoller::Tick()
{
    if (m_inTick)
        return;
    TickGuard guard(m_inTick);

    m_link.ExpireErrMsg();

    if (m_recording.RecordMode() != 0)
        emit recordLabelBlink();

    if (!m_link.StatusBuffer().isEmpty())
        m_engine.ReceiveStatusUpdate();

    const bool aliveModel = RouterCatalog::traits(m_settings.CurrentRouterType).alivePoll;
    if (m_aliveVisible != aliveModel) {
        m_aliveVisible = aliveModel;
        emit aliveIndicatorVisible(aliveModel);
    }
    if (aliveModel)
        alivePoll();

    if (m_link.isOpen() && !m_link.CommBusy())
        receiveAndRequest();
}

void StatusPoller::alivePoll()
{
    if (++m_alivePollCounter >= kAlivePollWrap)
        m_alivePollCounter = kAlivePollDue;
    // A poll that could not run now is tried again when the counter comes round to 20.
    if (m_alivePollCounter != kAlivePollDue || !m_link.isOpen() || m_link.CommBusy())
        return;
    m_alivePollCounter = 0;
    if (pollOnce()) {
        if (m_matrixState == MatrixState::Offline)
            m_statusPollCounter = kBackOnline;
        setMatrixState(MatrixState::Online);
        return;
    }
    m_link.Delay(kAlivePollWait);
    if (!pollOnce())
        setMatrixState(MatrixState::Offline);
}

bool StatusPoller::pollOnce()
{
    // The alive poll is the Type B status request to frame address 0, whatever the framing.
    const auto hold = m_link.HoldLine();
    if (!hold)
        return false;
    static const QByteArray poll = toFrame(BuildFrame(kTypeB, 0, CmdStatus, 0, 0));
    return !m_link.Exchange(*hold, poll, SerialLink::ReplyWait::fixedDelay(kAlivePollWait))
                .reply.isEmpty();
}

void StatusPoller::setMatrixState(MatrixState state)
{
    if (m_matrixState == state)
        return;
    m_matrixState = state;
    emit matrixOnlineChanged(state == MatrixState::Online);
}

void StatusPoller::receiveAndRequest()
{
    if (m_link.ReplyReceived()) {
        const QByteArray data = m_link.ReadInput();
        // Whatever came in behind the report belongs to no report that could still be read.
        m_link.DiscardInput();
        m_link.setReplyReceived(false);
        HandleReceived(data);
        return;
    }
    if (!m_statusPollEnabled || !RouterCatalog::traits(m_settings.CurrentRouterType).statusRequests)
        return;
    if (++m_statusPollCounter >= kStatusPollDue)
        periodicRequest();
}

void StatusPoller::HandleReceived(const QByteArray &data)
{
    const auto cell =
        RemoteReportCell(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
    if (!cell)
        return;
    const bool wasRemote = m_engine.RemoteClick();
    m_engine.setRemoteClick(true);
    emit remoteCellClick(*cell);
    m_engine.setRemoteClick(wasRemote);
}

void StatusPoller::periodicRequest()
{
    if (m_settings.CommType == kTypeA) {
        m_statusPollCounter = 0;
        const auto hold = m_link.HoldLine();
        if (!hold)
            return;
        static const QByteArray request = toFrame(BuildFrame(kTypeA, 0, CmdStatus, 0, 0));
        // Only a sign of life; the three bytes are not a status to apply.
        if (m_link.Exchange(*hold, request, SerialLink::ReplyWait::fixedDelay(kTypeAStatusWait))
                .reply.isEmpty())
            m_link.SetErrMsg(QStringLiteral("No Router Communication"));
        return;
    }
    m_statusPollCounter = 0;
    if (m_settings.CommType == kTypeB)
        m_link.SendCommand(0, CmdStatus, 15, 15, false);
}

void StatusPoller::SendStartupRequest()
{
    if (!RouterCatalog::traits(m_settings.CurrentRouterType).startupStatusRequest())
        return;
    m_link.SendCommand(0, CmdStatus, 15, 15, false);
}

} // namespace corvantis

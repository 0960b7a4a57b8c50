#include "link/StatusPoller.h"

#include "config/MacroRecording.h"
#include "config/RouterCatalog.h"
#include "config/Settings.h"
#include "link/Framing.h"
#include "link/RoutingEngine.h"
#include "link/SerialLink.h"
#include "util/ReportFailure.h"

#include <exception>

namespace corvantis {

namespace {

constexpr std::chrono::milliseconds kAlivePollWait{20};
constexpr std::chrono::milliseconds kTypeAStatusWait{50};

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
    // A poll on the line is abandoned at its wait; its hold ends with it.
    m_lineWork.reset();
}

QString StatusPoller::MatrixStateText(bool online)
{
    return online ? QStringLiteral("Matrix Online") : QStringLiteral("Matrix Offline");
}

void StatusPoller::Tick()
{
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
    if (LineWorkRunning())
        return;
    m_lineWork = lineSteps(aliveModel);
    m_lineWork.start([this] {
        try {
            m_lineWork.result();
        } catch (const std::exception &error) {
            ReportFailure("Sub Timer1_Timer", error.what());
        }
    });
}

Task<void> StatusPoller::lineSteps(bool aliveModel)
{
    if (aliveModel)
        co_await alivePoll();
    if (m_link.isOpen() && !m_link.CommBusy())
        co_await receiveAndRequest();
}

Task<void> StatusPoller::alivePoll()
{
    if (++m_alivePollCounter >= kAlivePollWrap)
        m_alivePollCounter = kAlivePollDue;
    // A poll that could not run now is tried again when the counter comes round to 20.
    if (m_alivePollCounter != kAlivePollDue || !m_link.isOpen() || m_link.CommBusy())
        co_return;
    m_alivePollCounter = 0;
    const auto hold = m_link.HoldLine();
    if (!hold)
        co_return;
    // The routers take their turns one poll at a time, so the line's load stays one poll.
    const std::vector<int> round = m_round ? m_round() : std::vector<int>{0};
    const int frameAddress = round.empty() ? 0 : round[m_turn++ % round.size()];
    // The alive poll is the Type B status request, whatever the framing.
    const QByteArray poll = toFrame(BuildFrame(kTypeB, frameAddress, CmdStatus, 0, 0));
    const auto wait = SerialLink::ReplyWait::fixedDelay(kAlivePollWait);
    // The lamp keeps telling of the first router, as it always did; the others have health.
    const bool lampTurn = round.empty() || frameAddress == round.front();
    const auto first = co_await m_link.Exchange(*hold, poll, wait);
    if (!first.reply.isEmpty()) {
        if (lampTurn) {
            if (m_matrixState == MatrixState::Offline)
                m_statusPollCounter = kBackOnline;
            setMatrixState(MatrixState::Online);
        }
        emit routerPolled(frameAddress, true);
        co_return;
    }
    co_await m_link.Delay(kAlivePollWait);
    const auto second = co_await m_link.Exchange(*hold, poll, wait);
    if (second.reply.isEmpty() && lampTurn)
        setMatrixState(MatrixState::Offline);
    emit routerPolled(frameAddress, !second.reply.isEmpty());
}

void StatusPoller::setMatrixState(MatrixState state)
{
    if (m_matrixState == state)
        return;
    m_matrixState = state;
    emit matrixOnlineChanged(state == MatrixState::Online);
}

Task<void> StatusPoller::receiveAndRequest()
{
    if (m_link.ReplyReceived()) {
        // The routers' own reports were taken out as they arrived; the rest answers nothing.
        m_link.DiscardInput();
        m_link.setReplyReceived(false);
        co_return;
    }
    if (!m_statusPollEnabled || !RouterCatalog::traits(m_settings.CurrentRouterType).statusRequests)
        co_return;
    if (++m_statusPollCounter >= kStatusPollDue)
        co_await periodicRequest();
}

Task<void> StatusPoller::periodicRequest()
{
    if (m_settings.CommType == kTypeA) {
        m_statusPollCounter = 0;
        const auto hold = m_link.HoldLine();
        if (!hold)
            co_return;
        static const QByteArray request = toFrame(BuildFrame(kTypeA, 0, CmdStatus, 0, 0));
        // Only a sign of life; the three bytes are not a status to apply.
        const auto exchange = co_await m_link.Exchange(
            *hold, request, SerialLink::ReplyWait::fixedDelay(kTypeAStatusWait));
        if (exchange.reply.isEmpty())
            m_link.SetErrMsg(QStringLiteral("No Router Communication"));
        co_return;
    }
    m_statusPollCounter = 0;
    if (m_settings.CommType == kTypeB)
        co_await m_link.SendCommand(0, CmdStatus, 15, 15, false);
}

Task<void> StatusPoller::SendStartupRequest()
{
    if (!RouterCatalog::traits(m_settings.CurrentRouterType).startupStatusRequest())
        co_return;
    co_await m_link.SendCommand(0, CmdStatus, 15, 15, false);
}

} // namespace corvantis

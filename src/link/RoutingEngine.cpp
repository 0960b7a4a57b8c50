#include "link/RoutingEngine.h"

#include "config/ConfigFile.h"
#include "config/MacroRecording.h"
#include "link/Framing.h"
#include "link/ReceiveHandling.h"
#include "link/SerialLink.h"
#include "model/LogicalMatrix.h"
#include "util/RuntimeError.h"

namespace corvantis {

RoutingEngine::RoutingEngine(Configuration &config, LogicalMatrix &matrix,
                             MacroRecording &recording, SerialLink &link, QObject *parent)
    : QObject(parent), m_config(config), m_matrix(matrix), m_recording(recording), m_link(link)
{
    connect(&m_link, &SerialLink::statusUpdateRequested, this, &RoutingEngine::ReceiveStatusUpdate);
}

Task<bool> RoutingEngine::RouteOnRouter(clsRouter &router, int output, int input, int level)
{
    if (!router.AudioBreakaway)
        level = kAllLevels;
    // The router stays alive for the length of the command even if the table is replaced
    // while it waits for the line.
    const std::shared_ptr<clsRouter> keep = m_config.routers.share(router.FrameAddress());
    clsRouteState *state = router.RouteState(output);
    if (!state || input < kNoInput || input > router.InputCount())
        throw RuntimeError(kSubscriptOutOfRange);
    // A status reply read before this route is older news: applied now, it cannot undo the
    // route on the next tick.
    if (!m_link.StatusBuffer().isEmpty())
        ReceiveStatusUpdate();
    const int sent = co_await SendRoute(router.FrameAddress(), output, input, level);
    if (sent != 0)
        co_return true;
    const auto source = static_cast<std::int16_t>(input);
    if (level & kVideo)
        state->SetVideo(source);
    if (level & kAudio)
        state->SetAudio(source);
    co_return false;
}

Task<int> RoutingEngine::SendRoute(int frameAddress, int output, int input, int level)
{
    if (!m_config.settings.ConfigLoaded) {
        m_link.SetErrMsg(
            QStringLiteral("Please select File/Setup Current Hardware Configuration first"));
        co_return -1;
    }
    const bool accepted = co_await sendRouteCommands(frameAddress, output, input);
    if (!accepted)
        co_return -1;
    // Only what the routers accepted is recorded.
    if (m_recording.RecordMode() > 0)
        RecordRoute(frameAddress, output, input, level);
    co_return 0;
}

Task<bool> RoutingEngine::sendRouteCommands(int frameAddress, int output, int input)
{
    const bool paired = m_config.settings.MatrixSize;
    const bool wait = m_config.settings.RouterTimeout > 0.0f;
    if (input == kNoInput) {
        if (m_remoteClick)
            co_return true;
        if (!FramingCarries(m_config.settings.CommType, CmdDisconnect)) {
            m_link.SetErrMsg(QStringLiteral("Type B routers cannot disconnect an output"));
            co_return false;
        }
        const int result =
            co_await m_link.SendCommand(frameAddress, CmdDisconnect, output, 0, wait);
        co_return result == kAck;
    }

    const clsRouter *router = m_config.routers.at(frameAddress);
    const clsRouteState *state = router ? router->RouteStateIfAny(output) : nullptr;
    // The pair's own follow-up is due when this router did not feed the output before.
    const bool followUp = paired && (!state || state->Video() < 0) &&
                          FramingCarries(m_config.settings.CommType, CmdPairRoute);
    // A change the router reported itself has happened whatever its partner or the pair
    // answer: only the route command is left out, and the state follows the router.
    // Read before the first wait: the click's remote flag belongs to this route only.
    const bool remote = m_remoteClick;
    if (paired) {
        const bool released = co_await disconnectPartner(frameAddress, output, wait);
        if (!released && !remote)
            co_return false;
    }
    if (!remote) {
        const int routed = co_await m_link.SendCommand(frameAddress, CmdRoute, output, input, wait);
        if (routed != kAck)
            co_return false;
    }
    bool pairAccepted = true;
    if (followUp) {
        const int followed =
            co_await m_link.SendCommand(frameAddress, CmdPairRoute, output, input, wait);
        pairAccepted = followed == kAck;
    }
    co_return pairAccepted || remote;
}

// True when the partner no longer feeds the output (or never did): the route may go on.
Task<bool> RoutingEngine::disconnectPartner(int frameAddress, int output, bool wait)
{
    const int partnerAddress = LogicalMatrix::PairPartner(frameAddress);
    const std::shared_ptr<clsRouter> partner = m_config.routers.share(partnerAddress);
    // An empty partner slot feeds nothing, so there is nothing to disconnect.
    if (!partner)
        co_return true;
    const clsRouteState *known = partner->RouteStateIfAny(output);
    if (!known || known->Video() <= -1)
        co_return true;
    if (!FramingCarries(m_config.settings.CommType, CmdDisconnect)) {
        m_link.SetErrMsg(
            QStringLiteral("The partner router feeds this output; Type B cannot release it"));
        co_return false;
    }
    // Only an acknowledged disconnect frees the output; otherwise both routers could feed it.
    const int released =
        co_await m_link.SendCommand(partnerAddress, CmdDisconnect, output, 0, wait);
    if (released != kAck)
        co_return false;
    partner->RouteState(output)->SetVideo(-1);
    co_return true;
}

void RoutingEngine::RecordRoute(int frameAddress, int output, int input, int level)
{
    m_recording.RecordRoute(frameAddress, output, input, level);
}

void RoutingEngine::ReceiveStatusUpdate()
{
    const QByteArray reply = m_link.TakeStatusBuffer();
    ApplyStatusReply(std::string_view(reply.constData(), static_cast<std::size_t>(reply.size())),
                     m_matrix);
    emit statusApplied();
}

} // namespace corvantis

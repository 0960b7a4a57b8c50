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

bool RoutingEngine::RouteOnRouter(clsRouter &router, int output, int input, int level)
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
    if (SendRoute(router.FrameAddress(), output, input, level) != 0)
        return true;
    const auto source = static_cast<std::int16_t>(input);
    if (level & kVideo)
        state->SetVideo(source);
    if (level & kAudio)
        state->SetAudio(source);
    return false;
}

int RoutingEngine::SendRoute(int frameAddress, int output, int input, int level)
{
    if (!m_config.settings.ConfigLoaded) {
        m_link.SetErrMsg(
            QStringLiteral("Please select File/Setup Current Hardware Configuration first"));
        return -1;
    }
    if (!sendRouteCommands(frameAddress, output, input))
        return -1;
    // Only what the routers accepted is recorded.
    if (m_recording.RecordMode() > 0)
        RecordRoute(frameAddress, output, input, level);
    return 0;
}

bool RoutingEngine::sendRouteCommands(int frameAddress, int output, int input)
{
    const bool paired = m_config.settings.MatrixSize;
    const bool wait = m_config.settings.RouterTimeout > 0.0f;
    const auto accepted = [this, wait](int address, int code, int p3, int p4) {
        return m_link.SendCommand(address, code, p3, p4, wait) == kAck;
    };
    if (input == kNoInput) {
        if (m_remoteClick)
            return true;
        if (!FramingCarries(m_config.settings.CommType, CmdDisconnect)) {
            m_link.SetErrMsg(QStringLiteral("Type B routers cannot disconnect an output"));
            return false;
        }
        return accepted(frameAddress, CmdDisconnect, output, 0);
    }

    const clsRouter *router = m_config.routers.at(frameAddress);
    const clsRouteState *state = router ? router->RouteStateIfAny(output) : nullptr;
    // The pair's own follow-up is due when this router did not feed the output before.
    const bool followUp = paired && (!state || state->Video() < 0) &&
                          FramingCarries(m_config.settings.CommType, CmdPairRoute);
    // A change the router reported itself has happened whatever its partner or the pair
    // answer: only the route command is left out, and the state follows the router.
    if (paired && !disconnectPartner(frameAddress, output, wait) && !m_remoteClick)
        return false;
    if (!m_remoteClick && !accepted(frameAddress, CmdRoute, output, input))
        return false;
    const bool pairAccepted = !followUp || accepted(frameAddress, CmdPairRoute, output, input);
    return pairAccepted || m_remoteClick;
}

// True when the partner no longer feeds the output (or never did): the route may go on.
bool RoutingEngine::disconnectPartner(int frameAddress, int output, bool wait)
{
    const int partnerAddress = LogicalMatrix::PairPartner(frameAddress);
    const std::shared_ptr<clsRouter> partner = m_config.routers.share(partnerAddress);
    // An empty partner slot feeds nothing, so there is nothing to disconnect.
    if (!partner)
        return true;
    const clsRouteState *known = partner->RouteStateIfAny(output);
    if (!known || known->Video() <= -1)
        return true;
    if (!FramingCarries(m_config.settings.CommType, CmdDisconnect)) {
        m_link.SetErrMsg(
            QStringLiteral("The partner router feeds this output; Type B cannot release it"));
        return false;
    }
    // Only an acknowledged disconnect frees the output; otherwise both routers could feed it.
    if (m_link.SendCommand(partnerAddress, CmdDisconnect, output, 0, wait) != kAck)
        return false;
    partner->RouteState(output)->SetVideo(-1);
    return true;
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

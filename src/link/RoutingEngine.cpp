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
    clsRouteState *state = router.RouteState(output);
    if (!state || input < kNoInput || input > router.InputCount())
        throw RuntimeError(kSubscriptOutOfRange);
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
    if (m_recording.RecordMode() > 0)
        RecordRoute(frameAddress, output, input, level);
    // The router made this change itself: telling it again, or its partner, would only
    // repeat what already happened.
    if (m_remoteClick)
        return 0;

    const bool wait = m_config.settings.RouterTimeout > 0.0f;
    int result = 0;
    if (input == kNoInput) {
        if (!m_link.WaitClearToSend())
            return -1;
        result = m_link.SendCommand(frameAddress, CmdDisconnect, output, 0, wait);
    } else {
        const bool paired = m_config.settings.MatrixSize;
        if (paired && !disconnectPartner(frameAddress, output, wait))
            return -1;
        if (!m_link.WaitClearToSend())
            return -1;
        result = m_link.SendCommand(frameAddress, CmdRoute, output, input, wait);
        const clsRouter *router = m_config.routers.at(frameAddress);
        const clsRouteState *state = router ? router->RouteStateIfAny(output) : nullptr;
        if (paired && result != SerialLink::kPortUnavailable && (!state || state->Video() < 0)) {
            if (!m_link.WaitClearToSend())
                return -1;
            result = m_link.SendCommand(frameAddress, CmdPairRoute, output, input, wait);
        }
    }
    return result == kAck || result == SerialLink::kNothingAccepted ? 0 : -1;
}

// True when the partner no longer feeds the output (or never did): the route may go on.
bool RoutingEngine::disconnectPartner(int frameAddress, int output, bool wait)
{
    const int partnerAddress = LogicalMatrix::PairPartner(frameAddress);
    clsRouter *partner = m_config.routers.at(partnerAddress);
    // An empty partner slot feeds nothing, so there is nothing to disconnect.
    if (!partner)
        return true;
    const clsRouteState *known = partner->RouteStateIfAny(output);
    if (!known || known->Video() <= -1)
        return true;
    if (!m_link.WaitClearToSend())
        return false;
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

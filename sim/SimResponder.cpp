#include "sim/SimResponder.h"

#include "sim/SimFrameParser.h"

namespace corvantis {

namespace {

using Kind = SimFrame::Kind;

const QByteArray kAckReply(1, SimResponder::kAck);

QList<QByteArray> answerIf(bool condition, const QByteArray &reply)
{
    return condition ? QList<QByteArray>{reply} : QList<QByteArray>{};
}

bool isTypeA(Kind kind)
{
    return kind == Kind::TypeARoute || kind == Kind::TypeADisconnect || kind == Kind::TypeAStatus ||
           kind == Kind::TypeAAddress || kind == Kind::TypeAHeader;
}

} // namespace

SimResponder::SimResponder(SimRouterState &state) : m_state(state) {}

QList<QByteArray> SimResponder::respond(const SimFrame &frame)
{
    switch (frame.kind) {
    case Kind::Unknown:
        return {};
    case Kind::EdidHeader:
        reset();
        m_edidAddress = frame.address;
        return {};
    case Kind::EdidBlock:
        return respondEdidBlock(frame);
    default:
        break;
    }
    if (isTypeA(frame.kind))
        return m_commType == 0 ? respondTypeA(frame) : QList<QByteArray>{};
    return m_commType == 1 ? respondTypeB(frame) : QList<QByteArray>{};
}

void SimResponder::reset()
{
    m_edidAddress = -1;
    m_edidBlocks = 0;
    m_edid.clear();
}

QList<QByteArray> SimResponder::respondTypeA(const SimFrame &frame)
{
    switch (frame.kind) {
    case Kind::TypeARoute:
        return answerIf(m_state.setCrosspoint(frame.address, frame.first, frame.second), kAckReply);
    case Kind::TypeADisconnect:
        return answerIf(m_state.setCrosspoint(frame.address, frame.first, -1), kAckReply);
    case Kind::TypeAStatus:
        return answerIf(m_state.hasRouter(frame.address), QByteArray(kTypeAVersion));
    case Kind::TypeAAddress:
        return answerIf(m_state.changeAddress(frame.address, frame.first), kAckReply);
    case Kind::TypeAHeader:
        // A whole frame for the routers even without payload: it is acknowledged like any other.
        return answerIf(m_state.hasRouter(frame.address), kAckReply);
    default:
        return {};
    }
}

QList<QByteArray> SimResponder::respondTypeB(const SimFrame &frame)
{
    // The checksum byte sits just before the closing CR.
    const QByteArray echo =
        frame.bytes.size() >= 2 ? frame.bytes.mid(frame.bytes.size() - 2, 1) : QByteArray();
    switch (frame.kind) {
    case Kind::TypeBRoute:
        return answerIf(m_state.setCrosspoint(frame.address, frame.first, frame.second), echo);
    case Kind::TypeBStatus:
        return answerIf(m_state.hasRouter(frame.address), m_state.statusReply());
    case Kind::TypeBRsConnect:
    case Kind::TypeBRsDisconnect:
        // RS-232 ports count from 1; the lines themselves are not modelled.
        return answerIf(m_state.hasRouter(frame.address) && frame.first > 0 && frame.second > 0,
                        echo);
    case Kind::TypeBAddress:
        return answerIf(m_state.changeAddress(frame.address, frame.first), echo);
    case Kind::TypeBFlashData:
        return answerIf(m_state.hasRouter(frame.address), kAckReply);
    case Kind::TypeBVersion:
        return answerIf(!m_state.isEmpty(), QByteArray(kTypeBVersion));
    case Kind::TypeBRsMode:
    case Kind::TypeBIrMode:
        return answerIf(!m_state.isEmpty(), kAckReply);
    default:
        return {};
    }
}

QList<QByteArray> SimResponder::respondEdidBlock(const SimFrame &frame)
{
    if (!frame.blockValid || m_edidAddress < 0) {
        reset();
        return {};
    }
    m_edid.append(frame.bytes.left(SimFrameParser::kEdidBlockSize - 1));
    ++m_edidBlocks;
    if (!m_state.hasRouter(m_edidAddress)) {
        if (m_edidBlocks == SimFrameParser::kEdidBlocks)
            reset();
        return {};
    }
    QList<QByteArray> replies{kAckReply};
    if (m_edidBlocks == SimFrameParser::kEdidBlocks) {
        // The router then writes the bytes one by one and acknowledges each.
        m_state.setEdid(m_edidAddress, m_edid);
        for (int i = 0; i < kEdidBytes; ++i)
            replies.append(kAckReply);
        reset();
    }
    return replies;
}

} // namespace corvantis

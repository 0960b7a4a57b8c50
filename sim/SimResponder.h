#pragma once

#include "sim/SimFrame.h"
#include "sim/SimRouterState.h"

#include <QByteArray>
#include <QList>

namespace corvantis {

// How the routers answer a frame, and what the frame changes in them. Only frames of the
// line's framing are answered (EDID transfers in either); a frame for a frame address where
// no router sits, or asking for a port the router does not have, gets no answer and changes
// nothing. A status request to any router's frame address answers for the whole line, in
// logical output order. Each acknowledgement of an EDID transfer is a reply of its own.
class SimResponder {
public:
    static constexpr char kAck = 0x06;
    // Three characters, shown by the program as "2.0.5".
    static constexpr const char *kTypeAVersion = "205";
    // At least the 11 characters the program shows.
    static constexpr const char *kTypeBVersion = "VER 2.05.17\r";
    static constexpr int kEdidBytes = 128;

    explicit SimResponder(SimRouterState &state);

    // 0 Type A, 1 Type B.
    void setCommType(int commType) { m_commType = commType; }
    int commType() const { return m_commType; }

    QList<QByteArray> respond(const SimFrame &frame);
    // Forgets an EDID transfer in progress.
    void reset();

private:
    QList<QByteArray> respondTypeA(const SimFrame &frame);
    QList<QByteArray> respondTypeB(const SimFrame &frame);
    QList<QByteArray> respondEdidBlock(const SimFrame &frame);

    SimRouterState &m_state;
    int m_commType = 1;
    int m_edidAddress = -1;
    int m_edidBlocks = 0;
    QByteArray m_edid;
};

} // namespace corvantis

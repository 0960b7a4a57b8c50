#pragma once

#include "sim/SimRouterSpec.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace corvantis {

// What the routers on the line hold: their frame addresses, port counts, video crosspoints and
// the last EDID written into them. A fresh router has every output disconnected.
class SimRouterState {
public:
    static constexpr int kMaxRouters = 16;
    static constexpr int kMaxPorts = 127;
    static constexpr int kLogicalOutputs = 128;
    // A disconnected output (input -1) in the status reply, and a logical output no router owns.
    static constexpr char kNoInputByte = 0x7F;

    // False with a reason for a frame address outside 0 to 15, a taken address, or a port
    // count outside 1 to 127.
    bool addRouter(const SimRouterSpec &spec, QString *error = nullptr);
    void clear();

    bool hasRouter(int frameAddress) const;
    bool isEmpty() const;
    // The routers in frame address order, with their current addresses.
    QList<SimRouterSpec> routers() const;

    // The input routed to the output (video), -1 when none or when there is no such output.
    int crosspoint(int frameAddress, int output) const;
    // Input -1 disconnects. False, changing nothing, for a port the router does not have.
    bool setCrosspoint(int frameAddress, int output, int input);
    // False, changing nothing, when there is no router at `from` or `to` is outside 0 to 15 or
    // taken by another router.
    bool changeAddress(int from, int to);

    // One byte per logical output from output 0 to the highest one any router owns: the routed
    // input + 128. Where output ranges overlap the lower frame address owns the output.
    QByteArray statusReply() const;

    void setEdid(int frameAddress, const QByteArray &edid);
    QByteArray edid(int frameAddress) const;

private:
    struct Slot {
        SimRouterSpec spec;
        QList<int> video;
        QByteArray edid;
    };

    const Slot *slot(int frameAddress) const;
    Slot *slot(int frameAddress);

    std::array<std::optional<Slot>, kMaxRouters> m_slots;
};

} // namespace corvantis

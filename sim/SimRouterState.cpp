#include "sim/SimRouterState.h"

namespace corvantis {

bool SimRouterState::addRouter(const SimRouterSpec &spec, QString *error)
{
    auto refuse = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (spec.frameAddress < 0 || spec.frameAddress >= kMaxRouters)
        return refuse(QStringLiteral("frame address %1 is outside 0 to 15").arg(spec.frameAddress));
    if (hasRouter(spec.frameAddress))
        return refuse(QStringLiteral("frame address %1 is taken").arg(spec.frameAddress));
    if (spec.inputs < 1 || spec.inputs > kMaxPorts || spec.outputs < 1 || spec.outputs > kMaxPorts)
        return refuse(QStringLiteral("%1 inputs and %2 outputs: each must be 1 to 127")
                          .arg(spec.inputs)
                          .arg(spec.outputs));
    if (spec.firstOutput < -1 || spec.firstOutput >= kLogicalOutputs)
        return refuse(
            QStringLiteral("first logical output %1 is outside 0 to 127").arg(spec.firstOutput));
    Slot added;
    added.spec = spec;
    added.video.fill(-1, spec.outputs);
    m_slots[static_cast<size_t>(spec.frameAddress)] = std::move(added);
    return true;
}

void SimRouterState::clear()
{
    for (auto &entry : m_slots)
        entry.reset();
}

bool SimRouterState::hasRouter(int frameAddress) const
{
    return slot(frameAddress) != nullptr;
}

bool SimRouterState::isEmpty() const
{
    for (const auto &entry : m_slots) {
        if (entry)
            return false;
    }
    return true;
}

QList<SimRouterSpec> SimRouterState::routers() const
{
    QList<SimRouterSpec> result;
    for (const auto &entry : m_slots) {
        if (entry)
            result.append(entry->spec);
    }
    return result;
}

int SimRouterState::crosspoint(int frameAddress, int output) const
{
    const Slot *router = slot(frameAddress);
    if (!router || output < 0 || output >= router->video.size())
        return -1;
    return router->video.at(output);
}

bool SimRouterState::setCrosspoint(int frameAddress, int output, int input)
{
    Slot *router = slot(frameAddress);
    if (!router || output < 0 || output >= router->video.size() || input < -1 ||
        input >= router->spec.inputs)
        return false;
    router->video[output] = input;
    return true;
}

bool SimRouterState::changeAddress(int from, int to)
{
    if (!hasRouter(from) || to < 0 || to >= kMaxRouters)
        return false;
    if (from == to)
        return true;
    if (hasRouter(to))
        return false;
    auto &source = m_slots[static_cast<size_t>(from)];
    source->spec.frameAddress = to;
    m_slots[static_cast<size_t>(to)] = std::move(source);
    source.reset();
    return true;
}

QByteArray SimRouterState::statusReply() const
{
    std::array<int, kLogicalOutputs> owner{};
    std::array<int, kLogicalOutputs> port{};
    owner.fill(-1);
    int next = 0;
    int highest = -1;
    for (int address = 0; address < kMaxRouters; ++address) {
        const auto &entry = m_slots[static_cast<size_t>(address)];
        if (!entry)
            continue;
        const int first = entry->spec.firstOutput >= 0 ? entry->spec.firstOutput : next;
        for (int p = 0; p < entry->spec.outputs && first + p < kLogicalOutputs; ++p) {
            const auto logical = static_cast<size_t>(first + p);
            if (owner[logical] < 0) {
                owner[logical] = address;
                port[logical] = p;
            }
            highest = std::max(highest, first + p);
        }
        next = first + entry->spec.outputs;
    }
    QByteArray reply;
    for (int logical = 0; logical <= highest; ++logical) {
        const auto i = static_cast<size_t>(logical);
        const int input = owner[i] < 0 ? -1 : crosspoint(owner[i], port[i]);
        reply.append(static_cast<char>(input + 128));
    }
    return reply;
}

void SimRouterState::setEdid(int frameAddress, const QByteArray &edid)
{
    if (Slot *router = slot(frameAddress))
        router->edid = edid;
}

QByteArray SimRouterState::edid(int frameAddress) const
{
    const Slot *router = slot(frameAddress);
    return router ? router->edid : QByteArray();
}

const SimRouterState::Slot *SimRouterState::slot(int frameAddress) const
{
    if (frameAddress < 0 || frameAddress >= kMaxRouters)
        return nullptr;
    const auto &entry = m_slots[static_cast<size_t>(frameAddress)];
    return entry ? &*entry : nullptr;
}

SimRouterState::Slot *SimRouterState::slot(int frameAddress)
{
    return const_cast<Slot *>(std::as_const(*this).slot(frameAddress));
}

} // namespace corvantis

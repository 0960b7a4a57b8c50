#include "model/RouterTable.h"

namespace corvantis {

RouterTable::RouterTable(const RouterTable &other)
{
    for (int s = 0; s < kSlots; ++s)
        if (const auto *router = other.at(s))
            m_slots[static_cast<std::size_t>(s)] = std::make_shared<clsRouter>(*router);
}

RouterTable &RouterTable::operator=(const RouterTable &other)
{
    if (this != &other)
        *this = RouterTable(other);
    return *this;
}

clsRouter *RouterTable::at(int slot) const
{
    return slot >= 0 && slot < kSlots ? m_slots[static_cast<std::size_t>(slot)].get() : nullptr;
}

std::shared_ptr<clsRouter> RouterTable::share(int slot) const
{
    return slot >= 0 && slot < kSlots ? m_slots[static_cast<std::size_t>(slot)] : nullptr;
}

void RouterTable::set(int slot, std::unique_ptr<clsRouter> router)
{
    if (slot >= 0 && slot < kSlots)
        m_slots[static_cast<std::size_t>(slot)] = std::move(router);
}

void RouterTable::clearAll()
{
    for (auto &slot : m_slots)
        slot.reset();
}

void RouterTable::AdoptRouteStates(const RouterTable &live)
{
    for (int s = 0; s < kSlots; ++s) {
        clsRouter *router = at(s);
        const clsRouter *source = live.at(s);
        if (!router || !source || router->InputCount() != source->InputCount() ||
            router->OutputCount() != source->OutputCount())
            continue;
        for (int o = 0; o <= router->OutputCount(); ++o) {
            const clsRouteState *state = source->RouteStateIfAny(o);
            clsRouteState *target = state ? router->RouteState(o) : nullptr;
            if (!target)
                continue;
            const bool breakaway = target->AudioBreakaway;
            *target = *state;
            target->AudioBreakaway = breakaway;
        }
    }
}

int RouterTable::MaxRouter() const
{
    for (int s = kSlots - 1; s >= 0; --s)
        if (m_slots[static_cast<std::size_t>(s)])
            return s;
    return -1;
}

int RouterTable::count() const
{
    int n = 0;
    for (const auto &slot : m_slots)
        n += slot ? 1 : 0;
    return n;
}

} // namespace corvantis

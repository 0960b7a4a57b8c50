#pragma once

#include "model/clsRouter.h"

#include <array>
#include <memory>

namespace corvantis {

// The 16 router slots of the serial line, indexed by frame address. A slot may be empty.
class RouterTable {
public:
    static constexpr int kSlots = 16;

    RouterTable() = default;
    RouterTable(const RouterTable &other);
    RouterTable &operator=(const RouterTable &other);
    RouterTable(RouterTable &&) noexcept = default;
    RouterTable &operator=(RouterTable &&) noexcept = default;

    // Null for an empty slot or a slot outside 0 to 15.
    clsRouter *at(int slot) const;
    // A share in the slot's router: a command waiting on the line keeps the router it writes
    // to alive even when the table is replaced during the wait.
    std::shared_ptr<clsRouter> share(int slot) const;
    clsRouter *operator[](int slot) const { return at(slot); }
    void set(int slot, std::unique_ptr<clsRouter> router);
    void clear(int slot) { set(slot, nullptr); }
    void clearAll();

    // Takes the route states of the live routers that still exist here with the same ports:
    // what the routers reported while a copy of the table was being edited is not lost.
    void AdoptRouteStates(const RouterTable &live);

    // Highest occupied frame address, -1 when the table is empty.
    int MaxRouter() const;
    int count() const;

private:
    std::array<std::shared_ptr<clsRouter>, kSlots> m_slots;
};

} // namespace corvantis

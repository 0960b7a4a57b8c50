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
    clsRouter *operator[](int slot) const { return at(slot); }
    void set(int slot, std::unique_ptr<clsRouter> router);
    void clear(int slot) { set(slot, nullptr); }
    void clearAll();

    // Highest occupied frame address, -1 when the table is empty.
    int MaxRouter() const;
    int count() const;

private:
    std::array<std::unique_ptr<clsRouter>, kSlots> m_slots;
};

} // namespace corvantis

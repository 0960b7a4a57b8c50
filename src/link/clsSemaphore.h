#pragma once

#include <cstdint>

namespace corvantis {

// A plain counter of acknowledgements that arrived but were not yet consumed. Nothing blocks
// on it: the program has one thread and waits by processing events.
class clsSemaphore {
public:
    std::int16_t Count() const { return m_count; }
    void SetCount(std::int16_t count) { m_count = count; }
    // Saturates instead of wrapping: a flood of ACK bytes must not turn into a negative count.
    void Up();
    // Takes one when there is one.
    bool Down();
    void Reset() { m_count = 0; }

private:
    std::int16_t m_count = 0;
};

} // namespace corvantis

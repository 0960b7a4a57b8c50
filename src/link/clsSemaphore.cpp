#include "link/clsSemaphore.h"

#include <limits>

namespace corvantis {

void clsSemaphore::Up()
{
    if (m_count < std::numeric_limits<std::int16_t>::max())
        ++m_count;
}

bool clsSemaphore::Down()
{
    if (m_count < 1)
        return false;
    --m_count;
    return true;
}

} // namespace corvantis

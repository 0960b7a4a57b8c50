#include "link/Framing.h"

namespace corvantis {} // namespace corvantis

#include "config/MacroStore.h"

namespace corvantis {} // namespace corvantis

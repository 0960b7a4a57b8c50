#include "config/RouterCatalog.h"

namespace corvantis {} // namespace corvantis

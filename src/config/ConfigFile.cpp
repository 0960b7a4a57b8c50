#include "config/ConfigFile.h"

namespace corvantis {} // namespace corvantis

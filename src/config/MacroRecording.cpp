#include "config/MacroRecording.h"

namespace corvantis {} // namespace corvantis

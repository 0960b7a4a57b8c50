#pragma once

class QWidget;

namespace corvantis {

// Enables or disables a container and then each control placed directly in it, nested
// containers (frames, group boxes, plain widgets) the same way, so every control ends up with
// the state asked for, not only the container.
void SetContainerEnabled(QWidget *container, bool enabled);

} // namespace corvantis

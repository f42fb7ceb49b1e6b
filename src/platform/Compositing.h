#pragma once

// Whether a compositing manager runs, for code outside the platform layer
// that looks different with one (translucent backgrounds, drawn shadows).

#include "platform/Signal.h"

namespace platform {

// True while a compositing manager owns the display's selection; false off
// X (offscreen rendering) and on a bare X server.
bool compositingManagerRunning();
// Fires with the new answer when a compositing manager starts or stops.
Signal<bool>& compositingChanged();

} // namespace platform

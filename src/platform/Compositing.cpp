#include "platform/Compositing.h"

#include "platform/X11EventSource.h"

namespace platform {

// Asked on every paint: kept by the event source, not asked of the server.
bool compositingManagerRunning() { return X11EventSource::instance().compositingManagerRunning(); }

Signal<bool>& compositingChanged() { return X11EventSource::instance().compositingChanged; }

} // namespace platform

#include "platform/Compositing.h"

#include "platform/X11.h"
#include "platform/X11EventSource.h"

namespace platform {

bool compositingManagerRunning() { return x11::compositingManagerRunning(); }

Signal<bool>& compositingChanged() { return X11EventSource::instance().compositingChanged; }

} // namespace platform

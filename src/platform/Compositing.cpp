#include "platform/Compositing.h"

#include "platform/X11.h"
#include "platform/X11EventSource.h"

#include <optional>

namespace platform {

bool compositingManagerRunning() {
    // Asked on every paint: the server is asked once, then the answer
    // follows the selection's owner changes.
    static std::optional<bool> running;
    static Subscription follow;
    if (!running) {
        running = x11::compositingManagerRunning();
        follow = compositingChanged().connect([](bool on) { running = on; });
    }
    return *running;
}

Signal<bool>& compositingChanged() { return X11EventSource::instance().compositingChanged; }

} // namespace platform

#pragma once

// Local and global monitors of input events.

#include "platform/Event.h"
#include "platform/Subscription.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

// Monitors of input events.
//
// Local monitors see this application's events before they are dispatched to
// a window; the newest monitor runs first, and each handler returns the event
// (or a changed one) to pass on, or nothing to swallow it.
//
// Global monitors see events that go to other applications: clicks, keys,
// scrolling and pointer movement not bound for one of our windows. Their
// handlers cannot change the event. Pointer movement is coalesced to one
// event per turn of the event loop; a warped pointer (no device moved it) is
// noticed by a poll a few dozen times a second while a global monitor
// follows movement.
//
// The real sources (an application event filter, XI2 raw input on the X
// root) start with the first monitor. Tests inject events with
// dispatchLocal() and dispatchGlobal() (see tests/support/FakeEventMonitor.h).
class EventMonitor {
public:
    using LocalHandler = std::function<std::optional<Event>(const Event&)>;
    using GlobalHandler = std::function<void(const Event&)>;

    static EventMonitor& shared();

    // Removing the returned subscription removes the monitor.
    [[nodiscard]] static Subscription addLocal(EventMask mask, LocalHandler handler);
    [[nodiscard]] static Subscription addGlobal(EventMask mask, GlobalHandler handler);

    // Runs the local monitors on an event about to be dispatched; returns
    // what goes on to the window (none: swallowed).
    std::optional<Event> dispatchLocal(Event event);
    void dispatchGlobal(const Event& event);

    std::size_t localMonitorCount() const;
    std::size_t globalMonitorCount() const;

    ~EventMonitor();

private:
    EventMonitor();
    struct Entry;
    struct Sources;
    Subscription add(EventMask mask, LocalHandler local, GlobalHandler global);
    void updateGlobalMotion();

    std::vector<std::shared_ptr<Entry>> local_;
    std::vector<std::shared_ptr<Entry>> global_;
    std::unique_ptr<Sources> sources_;
};

} // namespace platform

#pragma once

// Builds events and feeds them to the monitors, as the window system would.

#include "platform/EventMonitor.h"
#include "platform/Window.h"

namespace testing_support {

using platform::Event;
using platform::EventType;

inline Event keyEvent(std::uint16_t keyCode, std::uint64_t modifierFlags = 0, QString characters = {},
                      EventType type = EventType::keyDown) {
    Event e;
    e.type = type;
    e.keyCode = keyCode;
    e.modifierFlags = modifierFlags;
    e.characters = e.charactersIgnoringModifiers = std::move(characters);
    e.timestamp = platform::eventClock();
    return e;
}

// A pointer event at a screen location; with a window, locationInWindow is
// relative to that window's frame.
inline Event mouseEvent(EventType type, platform::Point onScreen, platform::Window* window = nullptr,
                        int clickCount = 1) {
    Event e;
    e.type = type;
    e.locationOnScreen = onScreen;
    e.window = window;
    e.locationInWindow = window ? window->convertPointFromScreen(onScreen) : onScreen;
    e.clickCount = clickCount;
    e.buttonNumber = type == EventType::rightMouseDown || type == EventType::rightMouseUp ? 1 : 0;
    e.timestamp = platform::eventClock();
    return e;
}

// A wheel notch (lines) or a touchpad movement (points, with a phase).
inline Event scrollEvent(double deltaY, bool precise, platform::EventPhase phase = platform::EventPhase::none) {
    Event e;
    e.type = EventType::scrollWheel;
    e.scrollingDeltaY = deltaY;
    e.hasPreciseScrollingDeltas = precise;
    e.phase = phase;
    e.timestamp = platform::eventClock();
    return e;
}

// What reaches the window after the local monitors (none: swallowed).
inline std::optional<Event> injectLocal(const Event& e) { return platform::EventMonitor::shared().dispatchLocal(e); }
inline void injectGlobal(const Event& e) { platform::EventMonitor::shared().dispatchGlobal(e); }

} // namespace testing_support

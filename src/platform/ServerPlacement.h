#pragma once

// Where the X server has our top-level windows, learnt from their own
// configure events in the order the server sent them (where an event does
// not say, the server is asked at once and its answer taken in when the
// place is next needed, at the latest on the next turn). Qt's idea of a
// window's place runs ahead of the server when the program moves the window
// (it takes the new place at once) and behind it when the window manager
// does: pointer events and input regions need the server's. And where the
// pointer events of a window are placed in it, which may be where the
// window asked to stand rather than where the server has it for the moment.

#include "platform/Signal.h"

#include <QPoint>

#include <cstdint>
#include <optional>

namespace platform {

class ServerPlacement {
public:
    // Starts following `window` (an X window of ours, a child of the root or
    // of a window manager's frame).
    static void follow(std::uint32_t window);
    static void forget(std::uint32_t window);
    // Where the server has the window's top-left corner (root coordinates,
    // device pixels), as last learnt; none for a window not followed.
    static std::optional<QPoint> origin(std::uint32_t window);
    // A followed window moved on the server (or may have: it was reparented).
    static Signal<std::uint32_t>& moved();
    // The child of the root that holds the window: a window manager's frame,
    // or the window itself; 0 when it is gone. Of a followed window asked of
    // the server once after each reparenting, not at each call.
    static std::uint32_t topLevelOf(std::uint32_t window);

    // From now on the pointer events of `window` (a followed one; those
    // of its input-only window too) are placed in it as if its top-left
    // corner stood at `origin` (root coordinates, device pixels), wherever
    // the server has it: a window manager may hold a new window elsewhere
    // for a moment, and a press then lands where the window is about to
    // stand. None: where the server has it, as X places them.
    static void placePointerAt(std::uint32_t window, std::optional<QPoint> origin);
    // The origin set so; none when the events are placed as X places them.
    static std::optional<QPoint> pointerPlacedAt(std::uint32_t window);
    // What pointer events of the window are placed against: the origin set,
    // else where the server has the window.
    static std::optional<QPoint> pointerOrigin(std::uint32_t window);
};

} // namespace platform

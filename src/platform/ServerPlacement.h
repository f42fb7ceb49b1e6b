#pragma once

// Where the X server has our top-level windows, learnt from their own
// configure events in the order the server sent them. Qt's idea of a
// window's place runs ahead of the server when the program moves the window
// (it takes the new place at once) and behind it when the window manager
// does: pointer events and input regions need the server's.

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
};

} // namespace platform

#pragma once

// The window manager's list of other programs' windows, with the frame each
// one has on screen.

#include "platform/Geometry.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// Window layers: ordinary application windows are at 0.
// NOLINTBEGIN(readability-identifier-naming)
namespace WindowListLayer {
inline constexpr int desktop = -1;
inline constexpr int normal = 0;
inline constexpr int floating = 3; // kept above others, utility windows
inline constexpr int dock = 20;    // panels and docks
inline constexpr int popUp = 101;  // menus, tooltips, notifications
} // namespace WindowListLayer
// NOLINTEND(readability-identifier-naming)

struct WindowInfo {
    // The window's number (its X window id).
    std::uint32_t number = 0;
    // The process that owns it, when the window says.
    std::optional<std::int32_t> ownerPID;
    int layer = WindowListLayer::normal;
    // The frame with the window manager's decorations, in window-list
    // coordinates: y down, origin at the top-left of the primary display.
    Rect bounds;
    // Shown now (not minimised, not on another desktop).
    bool isOnScreen = false;
    // Part of the desktop itself (its background and icons).
    bool isDesktopElement = false;
};

struct WindowPlace {
    Rect bounds;
    bool isShown = true;
};

// The program uses the X11 implementation; tests inject a fake.
class WindowList {
public:
    virtual ~WindowList() = default;
    // Every window the window manager lists, front first; this program's
    // own windows are left out.
    virtual std::vector<WindowInfo> windows() const = 0;
    // The bounds of one window while the window manager lists it; none once
    // it is closed or withdrawn. Asked on every refresh while pinned: one
    // round trip to the server at most.
    virtual std::optional<Rect> bounds(std::uint32_t number) const = 0;
    // The same bounds, and whether the window shows: false while it is
    // minimised (also while the window manager animates it there) or on
    // another desktop. One round trip as well.
    virtual std::optional<WindowPlace> place(std::uint32_t number) const {
        const auto b = bounds(number);
        if (!b) return std::nullopt;
        return WindowPlace{*b, true};
    }
};

} // namespace platform

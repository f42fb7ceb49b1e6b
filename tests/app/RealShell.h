#pragma once

// The real shell (the application delegate with the program's own services)
// in the test process, on the session's X server, and where the server has
// a window of it.

#include "platform/StatusItem.h"
#include "platform/X11.h"
#include "support/RealProgram.h"
#include "support/X11TestUtil.h"

#include <optional>

namespace testing_support {

// The shell with its tray icon, as at launch.
using RealShell = RealProgram;

// The status item's centre in root coordinates (the tray icon once the tray
// has placed it, else the launcher button), and the X window taking its
// clicks; none without either.
struct StatusItemSpot {
    QPoint centre;
    std::uint32_t window = 0;
};
inline std::optional<StatusItemSpot> statusItemSpot(RealShell& shell) {
    auto* item = shell.delegate->statusItem();
    if (!item) return std::nullopt;
    // The tray host places the icon after embedding it; wait until it rests.
    const auto last = waitUntilSteady([&]() -> std::optional<platform::Rect> {
        const auto f = item->buttonFrame();
        if (f && f->maxX() <= 1920) return f;
        return std::nullopt;
    });
    if (!last) return std::nullopt;
    StatusItemSpot spot;
    spot.centre = platform::toGlobal(platform::Point{last->midX(), last->midY()}).toPoint();
    spot.window = item->isInTray() ? trayIconWindow() : (item->launcherWindow() ? item->launcherWindow()->xid() : 0);
    if (!spot.window) return std::nullopt;
    return spot;
}

} // namespace testing_support

#pragma once

// The real shell (the application delegate with the program's own services)
// in the test process, on the session's X server, and where the server has
// a window of it.

#include "platform/X11.h"
#include "support/RealProgram.h"
#include "support/X11TestUtil.h"

namespace testing_support {

// Where the X server has the window, in root coordinates.
inline QRect serverGeometry(const platform::Window& w) {
    auto* c = platform::x11::connection();
    auto g = platform::x11::reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, w.xid()), nullptr));
    auto t = platform::x11::reply(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, w.xid(), platform::x11::root(), 0, 0), nullptr));
    if (!g || !t) return {};
    return QRect(t->dst_x, t->dst_y, g->width, g->height);
}

// The shell with its tray icon, as at launch.
using RealShell = RealProgram;

} // namespace testing_support

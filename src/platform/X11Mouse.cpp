#include "platform/X11Mouse.h"

#include "platform/X11.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace platform {

X11Mouse::State X11Mouse::query() {
    State state;
    auto* c = x11::connection();
    if (!c) {
        state.location = toScreen(QPointF(QCursor::pos()));
        return state;
    }
    auto r = x11::reply(xcb_query_pointer_reply(c, xcb_query_pointer(c, x11::root()), nullptr));
    if (!r) return state;
    auto* screen = QGuiApplication::primaryScreen();
    const double scale = screen ? screen->devicePixelRatio() : 1.0;
    state.location = toScreen(QPointF(r->root_x / scale, r->root_y / scale));
    if (r->mask & XCB_BUTTON_MASK_1) state.buttons |= 1u << 0;
    if (r->mask & XCB_BUTTON_MASK_3) state.buttons |= 1u << 1;
    if (r->mask & XCB_BUTTON_MASK_2) state.buttons |= 1u << 2;
    return state;
}

Point X11Mouse::location() const { return query().location; }

std::uint32_t X11Mouse::pressedButtons() const { return query().buttons; }

Mouse::State X11Mouse::state() const { return query(); }

} // namespace platform

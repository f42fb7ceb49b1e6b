// Following where the X server has our windows, from their configure events.
#include "platform/ServerPlacement.h"

#include "platform/X11.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <xcb/xinput.h>

#include <map>

namespace platform {

namespace {

std::map<xcb_window_t, std::optional<QPoint>>& origins() {
    static std::map<xcb_window_t, std::optional<QPoint>> map;
    return map;
}

// The windows whose pointer events are placed against an origin of their
// own.
std::map<xcb_window_t, QPoint>& pointerOrigins() {
    static std::map<xcb_window_t, QPoint> map;
    return map;
}

std::uint8_t xinputOpcode() {
    static const std::uint8_t opcode = [] {
        const auto* ext = x11::connection() ? xcb_get_extension_data(x11::connection(), &xcb_input_id) : nullptr;
        return ext && ext->present ? ext->major_opcode : std::uint8_t(0);
    }();
    return opcode;
}

// Places a pointer event of a window with an origin of its own by its root
// position. Core events carry whole pixels, XInput 2 ones 16.16 fixed point.
template <typename E>
void placeCore(E* e) {
    const auto it = pointerOrigins().find(e->event);
    if (it == pointerOrigins().end()) return;
    e->event_x = static_cast<std::int16_t>(e->root_x - it->second.x());
    e->event_y = static_cast<std::int16_t>(e->root_y - it->second.y());
}
template <typename E>
void placeXInput(E* e) {
    const auto it = pointerOrigins().find(e->event);
    if (it == pointerOrigins().end()) return;
    e->event_x = e->root_x - (it->second.x() << 16);
    e->event_y = e->root_y - (it->second.y() << 16);
}

void placePointerEvent(xcb_generic_event_t* ev) {
    switch (ev->response_type & 0x7f) {
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
    case XCB_MOTION_NOTIFY: placeCore(reinterpret_cast<xcb_button_press_event_t*>(ev)); break;
    case XCB_ENTER_NOTIFY:
    case XCB_LEAVE_NOTIFY: placeCore(reinterpret_cast<xcb_enter_notify_event_t*>(ev)); break;
    case XCB_GE_GENERIC: {
        auto* ge = reinterpret_cast<xcb_ge_generic_event_t*>(ev);
        if (ge->extension != xinputOpcode()) break;
        switch (ge->event_type) {
        case XCB_INPUT_BUTTON_PRESS:
        case XCB_INPUT_BUTTON_RELEASE:
        case XCB_INPUT_MOTION: placeXInput(reinterpret_cast<xcb_input_button_press_event_t*>(ev)); break;
        case XCB_INPUT_ENTER:
        case XCB_INPUT_LEAVE: placeXInput(reinterpret_cast<xcb_input_enter_event_t*>(ev)); break;
        default: break;
        }
        break;
    }
    default: break;
    }
}

std::optional<QPoint> askServer(xcb_window_t window) {
    auto* c = x11::connection();
    auto r = x11::reply(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, x11::root(), 0, 0), nullptr));
    if (!r) return std::nullopt;
    return QPoint(r->dst_x, r->dst_y);
}

void learn(xcb_window_t window, std::optional<QPoint> origin) {
    auto it = origins().find(window);
    if (it == origins().end()) return;
    if (!origin) origin = askServer(window);
    if (origin == it->second) return;
    it->second = origin;
    ServerPlacement::moved().emit(window);
}

class Filter : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || origins().empty()) return false;
        auto* ev = static_cast<xcb_generic_event_t*>(message);
        if (!pointerOrigins().empty()) placePointerEvent(ev);
        switch (ev->response_type & 0x7f) {
        case XCB_CONFIGURE_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_configure_notify_event_t*>(ev);
            if (e->event != e->window) break;
            // A window manager's own notice (sent, not generated) gives the
            // place on the root; the server's gives it in the parent, which
            // for a framed window is the frame: then the server is asked.
            if (ev->response_type & 0x80) learn(e->window, QPoint(e->x, e->y));
            else learn(e->window, std::nullopt);
            break;
        }
        case XCB_REPARENT_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_reparent_notify_event_t*>(ev);
            if (e->event == e->window) learn(e->window, std::nullopt);
            break;
        }
        case XCB_MAP_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_map_notify_event_t*>(ev);
            if (e->event == e->window) learn(e->window, std::nullopt);
            break;
        }
        default: break;
        }
        return false;
    }
};

} // namespace

void ServerPlacement::follow(std::uint32_t window) {
    if (window == XCB_NONE || !x11::available() || !QCoreApplication::instance()) return;
    static bool installed = false;
    if (!installed) {
        installed = true;
        static Filter filter;
        QCoreApplication::instance()->installNativeEventFilter(&filter);
    }
    origins()[window] = askServer(window);
}

void ServerPlacement::forget(std::uint32_t window) {
    origins().erase(window);
    pointerOrigins().erase(window);
}

std::optional<QPoint> ServerPlacement::origin(std::uint32_t window) {
    const auto it = origins().find(window);
    return it == origins().end() ? std::nullopt : it->second;
}

Signal<std::uint32_t>& ServerPlacement::moved() {
    static Signal<std::uint32_t> signal;
    return signal;
}

void ServerPlacement::placePointerAt(std::uint32_t window, std::optional<QPoint> origin) {
    if (!origin || !origins().count(window)) pointerOrigins().erase(window);
    else pointerOrigins()[window] = *origin;
}

std::optional<QPoint> ServerPlacement::pointerPlacedAt(std::uint32_t window) {
    const auto it = pointerOrigins().find(window);
    return it == pointerOrigins().end() ? std::nullopt : std::optional<QPoint>(it->second);
}

std::optional<QPoint> ServerPlacement::pointerOrigin(std::uint32_t window) {
    if (auto placed = pointerPlacedAt(window)) return placed;
    return origin(window);
}

} // namespace platform

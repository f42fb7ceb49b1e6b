// Following where the X server has our windows, from their configure events,
// and placing their pointer events.
#include "platform/ServerPlacement.h"

#include "platform/X11.h"
#include "platform/X11EventSource.h"
#include "platform/X11InputWindow.h"

#include <QCoreApplication>

#include <xcb/xinput.h>

#include <map>
#include <utility>
#include <vector>

namespace platform {

namespace {

struct Followed {
    std::optional<QPoint> origin;
    // The server asked where the window is, its answer not taken in yet.
    std::optional<xcb_translate_coordinates_cookie_t> asked;
    // The child of the root that holds the window (a window manager's
    // frame, or the window itself), once asked for; forgotten as the window
    // is reparented.
    xcb_window_t topLevel = XCB_NONE;
};

std::map<xcb_window_t, Followed>& followed() {
    static std::map<xcb_window_t, Followed> map;
    return map;
}

// The windows whose pointer events are placed against an origin of their
// own.
std::map<xcb_window_t, QPoint>& pointerOrigins() {
    static std::map<xcb_window_t, QPoint> map;
    return map;
}

// Places a pointer event in the window its events go to: an input-only
// window's become its owner's, placed against where the owner's events are
// placed; a window with an origin of its own for them is placed against it.
// The position comes from the root position then. Core events carry whole
// pixels, XInput 2 ones 16.16 fixed point (`shift` 16).
template <typename E>
void route(E* e, int shift) {
    std::optional<QPoint> origin;
    if (const std::uint32_t owner = X11InputWindow::ownerOf(e->event)) {
        e->event = owner;
        origin = ServerPlacement::pointerOrigin(owner);
    } else {
        origin = ServerPlacement::pointerPlacedAt(e->event);
    }
    if (!origin) return;
    e->event_x = static_cast<decltype(e->event_x)>(e->root_x - (origin->x() << shift));
    e->event_y = static_cast<decltype(e->event_y)>(e->root_y - (origin->y() << shift));
}

bool routePointerEvent(const XEvent& e) {
    if (pointerOrigins().empty() && !X11InputWindow::any()) return false;
    switch (e.type) {
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
    case XCB_MOTION_NOTIFY: route(reinterpret_cast<xcb_button_press_event_t*>(e.event), 0); break;
    case XCB_ENTER_NOTIFY:
    case XCB_LEAVE_NOTIFY: route(reinterpret_cast<xcb_enter_notify_event_t*>(e.event), 0); break;
    default: break;
    }
    switch (e.xinputType) {
    case XCB_INPUT_BUTTON_PRESS:
    case XCB_INPUT_BUTTON_RELEASE:
    case XCB_INPUT_MOTION: route(reinterpret_cast<xcb_input_button_press_event_t*>(e.event), 16); break;
    case XCB_INPUT_ENTER:
    case XCB_INPUT_LEAVE: route(reinterpret_cast<xcb_input_enter_event_t*>(e.event), 16); break;
    default: break;
    }
    return false;
}

void learn(xcb_window_t window, Followed& f, std::optional<QPoint> origin) {
    if (origin == f.origin) return;
    f.origin = origin;
    ServerPlacement::moved().emit(window);
}

// Takes in the server's answer about the window, waiting for it if it has
// not come yet.
void takeAnswer(xcb_window_t window) {
    const auto it = followed().find(window);
    if (it == followed().end() || !it->second.asked) return;
    const auto cookie = *std::exchange(it->second.asked, std::nullopt);
    auto r = x11::reply(xcb_translate_coordinates_reply(x11::connection(), cookie, nullptr));
    learn(window, it->second, r ? std::optional<QPoint>(QPoint(r->dst_x, r->dst_y)) : std::nullopt);
}

void takeAnswers() {
    std::vector<xcb_window_t> asked;
    for (const auto& [window, f] : followed())
        if (f.asked) asked.push_back(window);
    for (xcb_window_t window : asked) takeAnswer(window);
}

// Asks the server where the window is without waiting: the answer is taken
// in when the place is next needed, at the latest on the next turn of the
// event loop, so that no event waits for it.
void askServer(xcb_window_t window, Followed& f) {
    auto* c = x11::connection();
    // Only the newest answer counts.
    if (f.asked) xcb_discard_reply(c, f.asked->sequence);
    f.asked = xcb_translate_coordinates(c, window, x11::root(), 0, 0);
    xcb_flush(c);
    static bool queued = false;
    if (std::exchange(queued, true)) return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            queued = false;
            takeAnswers();
        },
        Qt::QueuedConnection);
}

// What an event of the window tells of its place: a window manager's own
// notice gives it on the root; the server's events give it in the parent,
// which for a framed window is the frame, or not at all: then the server is
// asked.
void learnFrom(const xcb_generic_event_t* event, xcb_window_t window, std::optional<QPoint> origin) {
    const auto it = followed().find(window);
    if (it == followed().end()) return;
    Followed& f = it->second;
    if (!origin) {
        askServer(window, f);
        return;
    }
    if (f.asked) {
        // An answer still to come tells of a later moment than a notice
        // made before the server read the question.
        if (std::int32_t(event->full_sequence - f.asked->sequence) < 0) return;
        xcb_discard_reply(x11::connection(), std::exchange(f.asked, std::nullopt)->sequence);
    }
    learn(window, f, origin);
}

bool learnPlacement(const XEvent& e) {
    if (followed().empty()) return false;
    switch (e.type) {
    case XCB_CONFIGURE_NOTIFY: {
        const auto* c = reinterpret_cast<const xcb_configure_notify_event_t*>(e.event);
        if (c->event != c->window) break;
        if (e.sent) learnFrom(e.event, c->window, QPoint(c->x, c->y));
        else learnFrom(e.event, c->window, std::nullopt);
        break;
    }
    case XCB_REPARENT_NOTIFY: {
        const auto* r = reinterpret_cast<const xcb_reparent_notify_event_t*>(e.event);
        if (r->event != r->window) break;
        if (const auto it = followed().find(r->window); it != followed().end()) it->second.topLevel = XCB_NONE;
        learnFrom(e.event, r->window, std::nullopt);
        break;
    }
    case XCB_MAP_NOTIFY: {
        const auto* m = reinterpret_cast<const xcb_map_notify_event_t*>(e.event);
        if (m->event == m->window) learnFrom(e.event, m->window, std::nullopt);
        break;
    }
    default: break;
    }
    return false;
}

} // namespace

void ServerPlacement::follow(std::uint32_t window) {
    if (window == XCB_NONE || !x11::available() || !QCoreApplication::instance()) return;
    static const Subscription kPlacement = X11EventSource::instance().handle(XEventStage::placement, learnPlacement);
    static const Subscription kRouting =
        X11EventSource::instance().handle(XEventStage::pointerRouting, routePointerEvent);
    askServer(window, followed()[window]);
    takeAnswer(window);
}

void ServerPlacement::forget(std::uint32_t window) {
    if (const auto it = followed().find(window); it != followed().end()) {
        if (it->second.asked) xcb_discard_reply(x11::connection(), it->second.asked->sequence);
        followed().erase(it);
    }
    pointerOrigins().erase(window);
}

std::optional<QPoint> ServerPlacement::origin(std::uint32_t window) {
    takeAnswer(window);
    const auto it = followed().find(window);
    return it == followed().end() ? std::nullopt : it->second.origin;
}

std::uint32_t ServerPlacement::topLevelOf(std::uint32_t window) {
    const auto it = followed().find(window);
    if (it == followed().end()) return x11::topLevelOf(window);
    if (it->second.topLevel == XCB_NONE) it->second.topLevel = x11::topLevelOf(window);
    return it->second.topLevel;
}

Signal<std::uint32_t>& ServerPlacement::moved() {
    static Signal<std::uint32_t> signal;
    return signal;
}

void ServerPlacement::placePointerAt(std::uint32_t window, std::optional<QPoint> origin) {
    if (!origin || !followed().count(window)) pointerOrigins().erase(window);
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

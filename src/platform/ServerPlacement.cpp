// Following where the X server has our windows, from their configure events.
#include "platform/ServerPlacement.h"

#include "platform/X11.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <map>

namespace platform {

namespace {

std::map<xcb_window_t, std::optional<QPoint>>& origins() {
    static std::map<xcb_window_t, std::optional<QPoint>> map;
    return map;
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
        const auto* ev = static_cast<const xcb_generic_event_t*>(message);
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

void ServerPlacement::forget(std::uint32_t window) { origins().erase(window); }

std::optional<QPoint> ServerPlacement::origin(std::uint32_t window) {
    const auto it = origins().find(window);
    return it == origins().end() ? std::nullopt : it->second;
}

Signal<std::uint32_t>& ServerPlacement::moved() {
    static Signal<std::uint32_t> signal;
    return signal;
}

} // namespace platform

// Other programs' windows as the window manager lists them.

#include "platform/X11WindowList.h"

#include "platform/Dispatch.h"
#include "platform/X11.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

namespace platform {

namespace {

constexpr std::uint32_t kMaxWindows = 65536;

// A reply whose error, if any, is freed instead of going to Qt's event
// queue (a window can vanish between two requests).
template <typename T, typename Cookie, typename Fn>
x11::Reply<T> replyOf(xcb_connection_t* c, Cookie cookie, Fn fn) {
    xcb_generic_error_t* error = nullptr;
    T* r = fn(c, cookie, &error);
    std::free(error);
    return x11::reply(r);
}

x11::Reply<xcb_get_property_reply_t> propertyReply(xcb_connection_t* c, xcb_get_property_cookie_t cookie) {
    return replyOf<xcb_get_property_reply_t>(c, cookie, xcb_get_property_reply);
}

// A property's 32-bit items; empty when absent or of another type.
std::vector<std::uint32_t> items32(const xcb_get_property_reply_t* r, xcb_atom_t type) {
    if (!r || r->format != 32 || r->type != type) return {};
    const auto n = static_cast<std::size_t>(xcb_get_property_value_length(r)) / 4;
    std::vector<std::uint32_t> v(n);
    if (n) std::memcpy(v.data(), xcb_get_property_value(r), n * 4);
    return v;
}

xcb_get_property_cookie_t askProperty(xcb_connection_t* c, xcb_window_t w, const char* name, xcb_atom_t type,
                                      std::uint32_t items) {
    return xcb_get_property(c, 0, w, x11::atom(name), type, 0, items);
}

// Qt's global coordinates are logical pixels; the root's are device pixels.
double scaleFactor() {
    auto* s = QGuiApplication::primaryScreen();
    return s ? s->devicePixelRatio() : 1.0;
}

// What the requests about one window brought back.
struct Reading {
    x11::Reply<xcb_get_geometry_reply_t> geometry{nullptr, &std::free};
    x11::Reply<xcb_translate_coordinates_reply_t> position{nullptr, &std::free};
    std::vector<std::uint32_t> extents;
};

struct Asking {
    xcb_get_geometry_cookie_t geometry;
    xcb_translate_coordinates_cookie_t position;
    xcb_get_property_cookie_t extents;
};

Asking askFrame(xcb_connection_t* c, xcb_window_t w) {
    return {xcb_get_geometry(c, w), xcb_translate_coordinates(c, w, x11::root(), 0, 0),
            askProperty(c, w, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL, 4)};
}

Reading readFrame(xcb_connection_t* c, const Asking& a) {
    Reading r;
    r.geometry = replyOf<xcb_get_geometry_reply_t>(c, a.geometry, xcb_get_geometry_reply);
    r.position = replyOf<xcb_translate_coordinates_reply_t>(c, a.position, xcb_translate_coordinates_reply);
    r.extents = items32(propertyReply(c, a.extents).get(), XCB_ATOM_CARDINAL);
    return r;
}

// The frame in root coordinates (device pixels); none when the window has
// gone.
std::optional<QRect> frameOf(const Reading& r) {
    if (!r.geometry || !r.position) return std::nullopt;
    QRect client(r.position->dst_x, r.position->dst_y, r.geometry->width, r.geometry->height);
    if (r.extents.size() != 4) return client;
    const auto e = [&](int i) { return static_cast<int>(std::min<std::uint32_t>(r.extents[i], 10000)); };
    // left, right, top, bottom
    return client.adjusted(-e(0), -e(2), e(1), e(3));
}

int layerOf(const std::vector<std::uint32_t>& types, const std::vector<std::uint32_t>& states, bool overrideRedirect,
            bool& desktop) {
    desktop = false;
    const auto has = [](const std::vector<std::uint32_t>& v, const char* name) {
        return std::find(v.begin(), v.end(), x11::atom(name)) != v.end();
    };
    if (has(types, "_NET_WM_WINDOW_TYPE_DESKTOP")) {
        desktop = true;
        return WindowListLayer::desktop;
    }
    if (has(types, "_NET_WM_WINDOW_TYPE_DOCK")) return WindowListLayer::dock;
    for (const char* t :
         {"_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", "_NET_WM_WINDOW_TYPE_POPUP_MENU", "_NET_WM_WINDOW_TYPE_TOOLTIP",
          "_NET_WM_WINDOW_TYPE_NOTIFICATION", "_NET_WM_WINDOW_TYPE_COMBO", "_NET_WM_WINDOW_TYPE_DND"})
        if (has(types, t)) return WindowListLayer::popUp;
    if (overrideRedirect) return WindowListLayer::popUp;
    if (has(states, "_NET_WM_STATE_ABOVE") || has(types, "_NET_WM_WINDOW_TYPE_UTILITY") ||
        has(types, "_NET_WM_WINDOW_TYPE_TOOLBAR") || has(types, "_NET_WM_WINDOW_TYPE_MENU"))
        return WindowListLayer::floating;
    return WindowListLayer::normal;
}

} // namespace

X11WindowList::X11WindowList(std::shared_ptr<ScreenProvider> screens) : screens_(std::move(screens)) {
    if (screens_) screensWatch_ = screens_->screensChanged.connect([this] { primaryOrigin_.reset(); });
}

QPoint X11WindowList::primaryOrigin() const {
    if (!primaryOrigin_) primaryOrigin_ = screens_ ? screens_->primaryRootRect().topLeft() : QPoint();
    return *primaryOrigin_;
}

std::optional<Rect> X11WindowList::bounds(std::uint32_t number) const {
    const auto p = place(number);
    if (!p) return std::nullopt;
    return p->bounds;
}

std::optional<WindowPlace> X11WindowList::place(std::uint32_t number) const {
    assertMainThread("X11WindowList::place");
    xcb_connection_t* c = x11::connection();
    if (!c || number == XCB_NONE) return std::nullopt;
    // Every request goes out before the first reply is read. The state is
    // asked after the frame: a window manager that marks a window minimised
    // before it animates the frame away is never seen mid-way as shown.
    const auto list = askProperty(c, x11::root(), "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW, kMaxWindows);
    const Asking asking = askFrame(c, number);
    const auto wmState = askProperty(c, number, "WM_STATE", x11::atom("WM_STATE"), 1);
    const auto netState = askProperty(c, number, "_NET_WM_STATE", XCB_ATOM_ATOM, 64);
    const auto attributes = xcb_get_window_attributes(c, number);
    const auto listReply = propertyReply(c, list);
    const Reading reading = readFrame(c, asking);
    const auto wm = items32(propertyReply(c, wmState).get(), x11::atom("WM_STATE"));
    const auto states = items32(propertyReply(c, netState).get(), XCB_ATOM_ATOM);
    const auto mapped = replyOf<xcb_get_window_attributes_reply_t>(c, attributes, xcb_get_window_attributes_reply);

    // A window the window manager no longer lists has been closed or
    // withdrawn, even if it still exists. Without a window manager's list,
    // a window counts while it exists.
    if (listReply && listReply->type == XCB_ATOM_WINDOW) {
        const auto listed = items32(listReply.get(), XCB_ATOM_WINDOW);
        if (std::find(listed.begin(), listed.end(), number) == listed.end()) return std::nullopt;
    }
    const auto frame = frameOf(reading);
    if (!frame) return std::nullopt;
    const double scale = scaleFactor();
    const QPoint origin = primaryOrigin();
    WindowPlace place;
    place.bounds = Rect(frame->x() / scale - origin.x(), frame->y() / scale - origin.y(), frame->width() / scale,
                        frame->height() / scale);
    constexpr std::uint32_t kIconicState = 3;
    const bool iconic = !wm.empty() && wm.front() == kIconicState;
    const bool hidden = std::find(states.begin(), states.end(), x11::atom("_NET_WM_STATE_HIDDEN")) != states.end();
    place.isShown = !iconic && !hidden && (!mapped || mapped->map_state == XCB_MAP_STATE_VIEWABLE);
    return place;
}

std::vector<WindowInfo> X11WindowList::windows() const {
    assertMainThread("X11WindowList::windows");
    std::vector<WindowInfo> out;
    xcb_connection_t* c = x11::connection();
    if (!c) return out;

    std::vector<std::uint32_t> stacking =
        x11::property32(x11::root(), x11::atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW, kMaxWindows);
    if (stacking.empty()) {
        // No window manager's list: the root's children, bottom first too.
        auto tree = replyOf<xcb_query_tree_reply_t>(c, xcb_query_tree(c, x11::root()), xcb_query_tree_reply);
        if (tree) {
            const auto* children = xcb_query_tree_children(tree.get());
            stacking.assign(children, children + xcb_query_tree_children_length(tree.get()));
        }
    }
    const auto ours = x11::ourWindows();
    const std::unordered_set<std::uint32_t> own(ours.begin(), ours.end());
    std::erase_if(stacking, [&](std::uint32_t w) { return own.count(w) != 0; });

    struct Pending {
        std::uint32_t window;
        Asking frame;
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t pid, types, states;
    };
    std::vector<Pending> pending;
    pending.reserve(stacking.size());
    for (std::uint32_t w : stacking) {
        pending.push_back({w, askFrame(c, w), xcb_get_window_attributes(c, w),
                           askProperty(c, w, "_NET_WM_PID", XCB_ATOM_CARDINAL, 1),
                           askProperty(c, w, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, 32),
                           askProperty(c, w, "_NET_WM_STATE", XCB_ATOM_ATOM, 64)});
    }

    const double scale = scaleFactor();
    const QPoint origin = primaryOrigin();
    // Every reply is read, even of a window that is skipped.
    for (const Pending& p : pending) {
        const Reading reading = readFrame(c, p.frame);
        const auto attributes =
            replyOf<xcb_get_window_attributes_reply_t>(c, p.attributes, xcb_get_window_attributes_reply);
        const auto pid = items32(propertyReply(c, p.pid).get(), XCB_ATOM_CARDINAL);
        const auto types = items32(propertyReply(c, p.types).get(), XCB_ATOM_ATOM);
        const auto states = items32(propertyReply(c, p.states).get(), XCB_ATOM_ATOM);
        const auto frame = frameOf(reading);
        if (!frame || !attributes || attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY) continue;

        WindowInfo info;
        info.number = p.window;
        if (!pid.empty() && pid.front() != 0 && pid.front() <= 0x7fffffffu)
            info.ownerPID = static_cast<std::int32_t>(pid.front());
        info.layer = layerOf(types, states, attributes->override_redirect, info.isDesktopElement);
        info.bounds = Rect(frame->x() / scale - origin.x(), frame->y() / scale - origin.y(), frame->width() / scale,
                           frame->height() / scale);
        // Minimised windows and those of other desktops are unmapped (or
        // inside an unmapped frame).
        info.isOnScreen = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        out.push_back(info);
    }
    std::reverse(out.begin(), out.end());
    return out;
}

} // namespace platform

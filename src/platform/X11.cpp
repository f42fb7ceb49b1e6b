#include "platform/X11.h"

#include "platform/X11InputWindow.h"

#include <QGuiApplication>
#include <QHash>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <xcb/xinput.h>

namespace platform::x11 {

xcb_connection_t* connection() {
    auto* app = qGuiApp;
    if (!app) return nullptr;
    auto* native = app->nativeInterface<QNativeInterface::QX11Application>();
    return native ? native->connection() : nullptr;
}

bool available() { return connection() != nullptr; }

bool connectionBroken() {
    auto* c = connection();
    return c && xcb_connection_has_error(c);
}

xcb_screen_t* screen() {
    auto* c = connection();
    if (!c) return nullptr;
    // Qt opens the display's default screen; Xinerama-style setups have one.
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data;
}

xcb_window_t root() {
    auto* s = screen();
    return s ? s->root : XCB_NONE;
}

xcb_atom_t atom(const char* name) {
    static QHash<QByteArray, xcb_atom_t> cache;
    const QByteArray key(name);
    if (auto it = cache.constFind(key); it != cache.cend()) return *it;
    auto* c = connection();
    if (!c) return XCB_ATOM_NONE;
    auto r =
        reply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(key.size()), name), nullptr));
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (a != XCB_ATOM_NONE) cache.insert(key, a);
    return a;
}

QString atomName(xcb_atom_t a) {
    auto* c = connection();
    if (!c || a == XCB_ATOM_NONE) return {};
    auto r = reply(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, a), nullptr));
    if (!r) return {};
    return QString::fromLatin1(xcb_get_atom_name_name(r.get()), xcb_get_atom_name_name_length(r.get()));
}

std::vector<std::uint32_t> property32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                      std::uint32_t maxItems) {
    auto* c = connection();
    if (!c || window == XCB_NONE || property == XCB_ATOM_NONE) return {};
    auto r = reply(xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, maxItems), nullptr));
    if (!r || r->format != 32 || r->type != type) return {};
    const auto n = static_cast<std::size_t>(xcb_get_property_value_length(r.get())) / 4;
    std::vector<std::uint32_t> values(n);
    if (n) std::memcpy(values.data(), xcb_get_property_value(r.get()), n * 4);
    return values;
}

void setProperty32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                   const std::vector<std::uint32_t>& values) {
    auto* c = connection();
    if (!c || window == XCB_NONE) return;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, property, type, 32, static_cast<std::uint32_t>(values.size()),
                        values.data());
}

void sendRootMessage(xcb_window_t window, xcb_atom_t type, std::uint32_t d0, std::uint32_t d1, std::uint32_t d2,
                     std::uint32_t d3, std::uint32_t d4) {
    auto* c = connection();
    if (!c) return;
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = window;
    ev.type = type;
    ev.data.data32[0] = d0;
    ev.data.data32[1] = d1;
    ev.data.data32[2] = d2;
    ev.data.data32[3] = d3;
    ev.data.data32[4] = d4;
    xcb_send_event(c, 0, root(), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&ev));
}

void setNetWmState(xcb_window_t window, xcb_atom_t state, bool on, bool mapped) {
    if (!available() || window == XCB_NONE) return;
    const xcb_atom_t netWmState = atom("_NET_WM_STATE");
    if (mapped) {
        // 1 = add, 0 = remove; source 1 = a normal application.
        sendRootMessage(window, netWmState, on ? 1 : 0, state, 0, 1);
        return;
    }
    auto states = property32(window, netWmState, XCB_ATOM_ATOM);
    auto it = std::find(states.begin(), states.end(), state);
    if (on && it == states.end()) states.push_back(state);
    if (!on && it != states.end()) states.erase(it);
    setProperty32(window, netWmState, XCB_ATOM_ATOM, states);
}

xcb_window_t topLevelOf(xcb_window_t window) {
    auto* c = connection();
    if (!c) return XCB_NONE;
    for (int depth = 0; depth < 16 && window != XCB_NONE; ++depth) {
        auto t = reply(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
        if (!t) return XCB_NONE;
        if (t->parent == t->root || t->parent == XCB_NONE) return window;
        window = t->parent;
    }
    return XCB_NONE;
}

std::vector<xcb_window_t> rootChildren() {
    auto* c = connection();
    if (!c) return {};
    auto t = reply(xcb_query_tree_reply(c, xcb_query_tree(c, root()), nullptr));
    if (!t) return {};
    const xcb_window_t* children = xcb_query_tree_children(t.get());
    return {children, children + xcb_query_tree_children_length(t.get())};
}

std::vector<xcb_window_t> viewableAmong(const std::vector<xcb_window_t>& windows) {
    auto* c = connection();
    if (!c) return {};
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (xcb_window_t id : windows) cookies.push_back(xcb_get_window_attributes(c, id));
    std::vector<xcb_window_t> viewable;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        auto r = reply(xcb_get_window_attributes_reply(c, cookies[i], nullptr));
        if (r && r->map_state == XCB_MAP_STATE_VIEWABLE) viewable.push_back(windows[i]);
    }
    return viewable;
}

xcb_window_t windowId(QWindow* window) {
    if (!window || !available()) return XCB_NONE;
    return static_cast<xcb_window_t>(window->winId());
}

std::vector<xcb_window_t> ourWindows() {
    std::vector<xcb_window_t> ids;
    if (!available()) return ids;
    for (QWindow* w : QGuiApplication::allWindows()) {
        if (w->handle()) ids.push_back(static_cast<xcb_window_t>(w->winId()));
    }
    for (std::uint32_t id : X11InputWindow::all()) ids.push_back(id);
    return ids;
}

void setWindowName(xcb_window_t window, const QString& name) {
    auto* c = connection();
    if (!c || window == XCB_NONE) return;
    const QByteArray latin1 = name.toLatin1();
    const QByteArray utf8 = name.toUtf8();
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(latin1.size()), latin1.constData());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                        static_cast<std::uint32_t>(utf8.size()), utf8.constData());
}

void setWindowClass(xcb_window_t window) {
    auto* c = connection();
    if (!c || window == XCB_NONE) return;
    QByteArray value(kWindowInstance);
    value.append('\0').append(kWindowClass).append('\0');
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(value.size()), value.constData());
}

bool compositingManagerRunning() {
    auto* c = connection();
    if (!c) return false;
    const QByteArray name = "_NET_WM_CM_S0";
    auto r = reply(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom(name.constData())), nullptr));
    return r && r->owner != XCB_NONE;
}

void flush() {
    if (auto* c = connection()) xcb_flush(c);
}

std::uint8_t xinputOpcode() {
    static std::optional<std::uint8_t> opcode;
    if (!opcode) {
        auto* c = connection();
        if (!c) return 0;
        const auto* ext = xcb_get_extension_data(c, &xcb_input_id);
        opcode = ext && ext->present ? ext->major_opcode : std::uint8_t(0);
    }
    return *opcode;
}

void selectXInputEvents(xcb_connection_t* c, xcb_window_t window, std::uint32_t mask) {
    // The request takes the device's header and its mask words in one block.
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t mask;
    } sel{};
    sel.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    sel.head.mask_len = 1;
    sel.mask = mask;
    xcb_input_xi_select_events(c, window, 1, &sel.head);
}

} // namespace platform::x11

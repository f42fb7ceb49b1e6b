// The tests' stand-in window manager: a small EWMH manager without frames
// that cooperates, or fails to in the ways real ones do when told to.
//   standin_wm [--place-late MS] [--activation honour|ignore|late:MS]
// --place-late: a new window is first put elsewhere (40 px down and right,
// or out of a panel's strut it asks to overlap) and moved where it asked
// only MS ms later; its own requests meanwhile wait for that moment.
// --activation: _NET_ACTIVE_WINDOW requests are honoured, never answered,
// or answered MS ms late. Every decision is one line on stderr.
#include "StandInWindowManager.h"

#include <QAbstractEventDispatcher>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace stand_in {

void note(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::fputs("standin_wm: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}

xcb_atom_t StandInWindowManager::atom(const char* name) {
    if (auto it = atoms_.constFind(name); it != atoms_.cend()) return *it;
    auto r = reply(xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr));
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    atoms_.insert(name, a);
    return a;
}

std::vector<std::uint32_t> StandInWindowManager::property32(xcb_window_t w, xcb_atom_t property, xcb_atom_t type) {
    auto r = reply(xcb_get_property_reply(c_, xcb_get_property(c_, 0, w, property, type, 0, 4096), nullptr));
    if (!r || r->format != 32 || r->type != type) return {};
    const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
    return {v, v + xcb_get_property_value_length(r.get()) / 4};
}

void StandInWindowManager::setProperty32(xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                                         const std::vector<std::uint32_t>& v) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, property, type, 32, v.size(), v.data());
}

StandInWindowManager::Client* StandInWindowManager::find(xcb_window_t w) {
    auto it = clients_.find(w);
    return it == clients_.end() ? nullptr : &it->second;
}

QByteArray StandInWindowManager::label(const Client& c) const {
    return QByteArray("0x") + QByteArray::number(c.id, 16) + " \"" + c.name + "\"";
}

bool StandInWindowManager::start() {
    const std::uint32_t mask[] = {XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
    if (auto error =
            reply(xcb_request_check(c_, xcb_change_window_attributes_checked(c_, root_, XCB_CW_EVENT_MASK, mask)))) {
        note("another window manager holds the display");
        return false;
    }
    check_ = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, check_, root_, -100, -100, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, check_, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, 7, "standin");
    setProperty32(check_, atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, {check_});
    std::vector<std::uint32_t> supported;
    for (const char* name : {"_NET_SUPPORTED",
                             "_NET_SUPPORTING_WM_CHECK",
                             "_NET_WM_NAME",
                             "_NET_CLIENT_LIST",
                             "_NET_CLIENT_LIST_STACKING",
                             "_NET_ACTIVE_WINDOW",
                             "_NET_WORKAREA",
                             "_NET_NUMBER_OF_DESKTOPS",
                             "_NET_CURRENT_DESKTOP",
                             "_NET_DESKTOP_GEOMETRY",
                             "_NET_FRAME_EXTENTS",
                             "_NET_REQUEST_FRAME_EXTENTS",
                             "_NET_RESTACK_WINDOW",
                             "_NET_WM_STATE",
                             "_NET_WM_STATE_ABOVE",
                             "_NET_WM_STATE_STICKY",
                             "_NET_WM_STATE_SKIP_TASKBAR",
                             "_NET_WM_STATE_SKIP_PAGER",
                             "_NET_WM_STATE_HIDDEN",
                             "_NET_WM_STRUT",
                             "_NET_WM_STRUT_PARTIAL",
                             "_NET_WM_WINDOW_TYPE",
                             "_NET_WM_WINDOW_TYPE_DOCK",
                             "_NET_WM_WINDOW_TYPE_DESKTOP"})
        supported.push_back(atom(name));
    setProperty32(root_, atom("_NET_SUPPORTED"), XCB_ATOM_ATOM, supported);
    setProperty32(root_, atom("_NET_NUMBER_OF_DESKTOPS"), XCB_ATOM_CARDINAL, {1});
    setProperty32(root_, atom("_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, {0});
    setProperty32(root_, atom("_NET_DESKTOP_GEOMETRY"), XCB_ATOM_CARDINAL,
                  {screen_->width_in_pixels, screen_->height_in_pixels});
    setProperty32(root_, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, {XCB_NONE});
    updateWorkArea();
    updateClientList();

    // Windows shown before we came are managed where they are.
    if (auto tree = reply(xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr))) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            auto a = reply(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, children[i]), nullptr));
            if (!a || a->override_redirect || a->map_state != XCB_MAP_STATE_VIEWABLE) continue;
            Client& c = manage(children[i]);
            placedOnce_.push_back(c.id);
            show(c);
        }
    }
    // Last: the session starts its other parts once this is set.
    setProperty32(root_, atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, {check_});
    xcb_flush(c_);
    note("managing the display (place late: %d ms, activation: %s)", options_.placeLateMs,
         options_.activation == Activation::honour ? "honoured"
         : options_.activation == Activation::ignore
             ? "ignored"
             : qPrintable(QString("%1 ms late").arg(options_.activationDelayMs)));
    return true;
}

void StandInWindowManager::drain() {
    while (auto* e = xcb_poll_for_event(c_)) {
        handle(e);
        std::free(e);
    }
    xcb_flush(c_);
    if (xcb_connection_has_error(c_)) {
        note("the display closed");
        QCoreApplication::exit(0);
    }
}

void StandInWindowManager::handle(const xcb_generic_event_t* e) {
    switch (e->response_type & 0x7f) {
    case 0: {
        const auto* error = reinterpret_cast<const xcb_generic_error_t*>(e);
        // A window may go between two requests about it.
        if (error->error_code != XCB_WINDOW) note("X error %d on request %d", error->error_code, error->major_code);
        break;
    }
    case XCB_MAP_REQUEST: onMapRequest(reinterpret_cast<const xcb_map_request_event_t*>(e)->window); break;
    case XCB_CONFIGURE_REQUEST: onConfigureRequest(reinterpret_cast<const xcb_configure_request_event_t*>(e)); break;
    case XCB_CONFIGURE_NOTIFY: {
        const auto* n = reinterpret_cast<const xcb_configure_notify_event_t*>(e);
        if (Client* c = find(n->window); c && !(e->response_type & 0x80))
            c->geometry = QRect(n->x, n->y, n->width, n->height);
        break;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto* u = reinterpret_cast<const xcb_unmap_notify_event_t*>(e);
        if (u->event == root_) onUnmap(u->window, e->response_type & 0x80);
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const xcb_window_t w = reinterpret_cast<const xcb_destroy_notify_event_t*>(e)->window;
        std::erase(placedOnce_, w);
        if (find(w)) withdraw(w, true);
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
        lastTime_ = p->time;
        Client* c = find(p->window);
        if (!c) break;
        const bool strut = p->atom == atom("_NET_WM_STRUT_PARTIAL") || p->atom == atom("_NET_WM_STRUT");
        if (strut || p->atom == XCB_ATOM_WM_HINTS || p->atom == XCB_ATOM_WM_TRANSIENT_FOR ||
            p->atom == atom("_NET_WM_WINDOW_TYPE") || p->atom == atom("WM_PROTOCOLS")) {
            readProperties(*c);
            if (strut) updateWorkArea();
            else restack();
        }
        break;
    }
    case XCB_CLIENT_MESSAGE: onClientMessage(reinterpret_cast<const xcb_client_message_event_t*>(e)); break;
    case XCB_BUTTON_PRESS: onButtonPress(reinterpret_cast<const xcb_button_press_event_t*>(e)); break;
    case XCB_FOCUS_IN:
    case XCB_FOCUS_OUT: updateActive(); break;
    default: break;
    }
}

void StandInWindowManager::onMapRequest(xcb_window_t w) {
    if (Client* c = find(w)) {
        if (!c->shown) {
            std::erase(c->states, atom("_NET_WM_STATE_HIDDEN"));
            setProperty32(c->id, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, c->states);
            note("showing %s again", label(*c).constData());
            show(*c);
        }
        return;
    }
    Client& c = manage(w);
    const bool fresh = std::find(placedOnce_.begin(), placedOnce_.end(), w) == placedOnce_.end();
    if (fresh) {
        placedOnce_.push_back(w);
        place(c);
    }
    if (std::find(c.states.begin(), c.states.end(), atom("_NET_WM_STATE_HIDDEN")) != c.states.end()) {
        note("keeping %s hidden as it asks", label(c).constData());
        setProperty32(c.id, atom("WM_STATE"), atom("WM_STATE"), {kIconicState, XCB_NONE});
        updateClientList();
        restack();
        return;
    }
    show(c);
    // A program that shows a window without wanting it activated says so
    // with a user time of 0.
    const auto userTime = property32(w, atom("_NET_WM_USER_TIME"), XCB_ATOM_CARDINAL);
    if (fresh && c.typeLayer == Layer::normal && c.acceptsInput && (userTime.empty() || userTime.front() != 0)) {
        note("focusing new window %s", label(c).constData());
        giveFocus(c, XCB_CURRENT_TIME);
    }
}

StandInWindowManager::Client& StandInWindowManager::manage(xcb_window_t w) {
    Client& c = clients_[w];
    c.id = w;
    c.serial = ++serials_;
    if (auto g = reply(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), nullptr)))
        c.geometry = QRect(g->x, g->y, g->width, g->height);
    auto name = reply(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 64), nullptr));
    if (!name || !xcb_get_property_value_length(name.get()))
        name = reply(
            xcb_get_property_reply(c_, xcb_get_property(c_, 0, w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 64), nullptr));
    if (name)
        c.name = QByteArray(static_cast<const char*>(xcb_get_property_value(name.get())),
                            xcb_get_property_value_length(name.get()));
    c.states = property32(w, atom("_NET_WM_STATE"), XCB_ATOM_ATOM);
    readProperties(c);
    const std::uint32_t events[] = {XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_FOCUS_CHANGE};
    xcb_change_window_attributes(c_, w, XCB_CW_EVENT_MASK, events);
    // Click to focus: a press is held until we have focused and raised the
    // window, then let through to it.
    if (c.typeLayer != Layer::dock)
        xcb_grab_button(c_, 0, w, XCB_EVENT_MASK_BUTTON_PRESS, XCB_GRAB_MODE_SYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE,
                        XCB_NONE, XCB_BUTTON_INDEX_ANY, XCB_MOD_MASK_ANY);
    setProperty32(w, atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, {0, 0, 0, 0});
    mappingOrder_.push_back(w);
    raiseOrder_.push_back(w);
    note("managing %s at %d,%d %dx%d", label(c).constData(), c.geometry.x(), c.geometry.y(), c.geometry.width(),
         c.geometry.height());
    return c;
}

void StandInWindowManager::readProperties(Client& c) {
    xcb_icccm_wm_hints_t hints{};
    c.acceptsInput = true;
    c.group = XCB_NONE;
    if (xcb_icccm_get_wm_hints_reply(c_, xcb_icccm_get_wm_hints(c_, c.id), &hints, nullptr)) {
        c.acceptsInput = !(hints.flags & XCB_ICCCM_WM_HINT_INPUT) || hints.input;
        if (hints.flags & XCB_ICCCM_WM_HINT_WINDOW_GROUP) c.group = hints.window_group;
    }
    if (c.group == XCB_NONE) {
        const auto leader = property32(c.id, atom("WM_CLIENT_LEADER"), XCB_ATOM_WINDOW);
        if (!leader.empty()) c.group = leader.front();
    }
    xcb_window_t target = XCB_NONE;
    c.transient = xcb_icccm_get_wm_transient_for_reply(c_, xcb_icccm_get_wm_transient_for(c_, c.id), &target, nullptr);
    c.transientFor = target;
    xcb_icccm_get_wm_protocols_reply_t protocols{};
    c.takesFocus = false;
    if (xcb_icccm_get_wm_protocols_reply(c_, xcb_icccm_get_wm_protocols(c_, c.id, atom("WM_PROTOCOLS")), &protocols,
                                         nullptr)) {
        c.takesFocus = std::find(protocols.atoms, protocols.atoms + protocols.atoms_len, atom("WM_TAKE_FOCUS")) !=
                       protocols.atoms + protocols.atoms_len;
        xcb_icccm_get_wm_protocols_reply_wipe(&protocols);
    }
    const auto types = property32(c.id, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM);
    const auto is = [&](const char* t) { return std::find(types.begin(), types.end(), atom(t)) != types.end(); };
    c.typeLayer = is("_NET_WM_WINDOW_TYPE_DOCK")      ? Layer::dock
                  : is("_NET_WM_WINDOW_TYPE_DESKTOP") ? Layer::desktop
                                                      : Layer::normal;
    c.strut = property32(c.id, atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL);
    if (c.strut.size() < 12) c.strut = property32(c.id, atom("_NET_WM_STRUT"), XCB_ATOM_CARDINAL);
    if (c.strut.size() < 4) c.strut.clear();
}

void StandInWindowManager::place(Client& c) {
    if (options_.placeLateMs <= 0) return;
    if (c.typeLayer != Layer::normal) {
        note("placing %s where it asks: it is a dock or the desktop", label(c).constData());
        return;
    }
    // Out of the struts as a real manager puts a window that overlaps a
    // panel, else beside the place asked for.
    const QRect asked = c.geometry, area = workArea();
    QRect first = asked;
    if (!area.contains(asked)) {
        first.moveLeft(asked.width() > area.width()
                           ? area.x()
                           : std::clamp(asked.x(), area.x(), area.right() + 1 - asked.width()));
        first.moveTop(asked.height() > area.height()
                          ? area.y()
                          : std::clamp(asked.y(), area.y(), area.bottom() + 1 - asked.height()));
    }
    if (first == asked) first.translate(kLateShift, kLateShift);
    note("placing %s at %d,%d first (asked %d,%d), where it asked %d ms later", label(c).constData(), first.x(),
         first.y(), asked.x(), asked.y(), options_.placeLateMs);
    c.latePlace = asked;
    moveResize(c, first);
    const xcb_window_t id = c.id;
    const std::uint64_t serial = c.serial;
    QTimer::singleShot(options_.placeLateMs, [this, id, serial] {
        Client* c = find(id);
        if (!c || c->serial != serial || !c->latePlace) return;
        const QRect to = *c->latePlace;
        c->latePlace.reset();
        note("placing %s late at %d,%d %dx%d", label(*c).constData(), to.x(), to.y(), to.width(), to.height());
        moveResize(*c, to);
        drain();
    });
}

void StandInWindowManager::show(Client& c) {
    c.shown = true;
    xcb_map_window(c_, c.id);
    setProperty32(c.id, atom("WM_STATE"), atom("WM_STATE"), {kNormalState, XCB_NONE});
    raise(c.id);
    updateClientList();
    if (!c.strut.empty()) updateWorkArea();
}

void StandInWindowManager::iconify(Client& c) {
    if (!c.shown) return;
    c.shown = false;
    ++c.ownUnmaps;
    xcb_unmap_window(c_, c.id);
    setProperty32(c.id, atom("WM_STATE"), atom("WM_STATE"), {kIconicState, XCB_NONE});
    if (active_ == c.id) setActive(XCB_NONE);
    restack();
    if (!c.strut.empty()) updateWorkArea();
}

void StandInWindowManager::onUnmap(xcb_window_t w, bool sent) {
    Client* c = find(w);
    if (!c) return;
    if (!sent && c->ownUnmaps > 0) {
        --c->ownUnmaps;
        return;
    }
    // A real unmap withdraws a shown window; a sent one (the client's
    // notice) an iconic one.
    if (sent == c->shown) return;
    withdraw(w, false);
}

void StandInWindowManager::withdraw(xcb_window_t w, bool destroyed) {
    Client* c = find(w);
    note("%s %s", destroyed ? "forgetting destroyed" : "withdrawing", label(*c).constData());
    const bool strut = !c->strut.empty();
    if (!destroyed) {
        // Its own again: it waits no longer to go where it asked.
        if (c->latePlace) {
            note("placing %s where it asked as it goes", label(*c).constData());
            moveResize(*c, *c->latePlace);
        }
        xcb_delete_property(c_, w, atom("WM_STATE"));
        xcb_delete_property(c_, w, atom("_NET_WM_STATE"));
        xcb_delete_property(c_, w, atom("_NET_WM_DESKTOP"));
        xcb_ungrab_button(c_, XCB_BUTTON_INDEX_ANY, w, XCB_MOD_MASK_ANY);
        const std::uint32_t none[] = {0};
        xcb_change_window_attributes(c_, w, XCB_CW_EVENT_MASK, none);
    }
    clients_.erase(w);
    std::erase(mappingOrder_, w);
    std::erase(raiseOrder_, w);
    if (active_ == w) setActive(XCB_NONE);
    updateClientList();
    restack();
    if (strut) updateWorkArea();
}

void StandInWindowManager::onConfigureRequest(const xcb_configure_request_event_t* e) {
    Client* c = find(e->window);
    if (!c) {
        // Not ours (yet): as asked.
        std::vector<std::uint32_t> values;
        const std::uint16_t mask = e->value_mask;
        if (mask & XCB_CONFIG_WINDOW_X) values.push_back(std::uint32_t(std::int32_t(e->x)));
        if (mask & XCB_CONFIG_WINDOW_Y) values.push_back(std::uint32_t(std::int32_t(e->y)));
        if (mask & XCB_CONFIG_WINDOW_WIDTH) values.push_back(e->width);
        if (mask & XCB_CONFIG_WINDOW_HEIGHT) values.push_back(e->height);
        if (mask & XCB_CONFIG_WINDOW_BORDER_WIDTH) values.push_back(e->border_width);
        if (mask & XCB_CONFIG_WINDOW_SIBLING) values.push_back(e->sibling);
        if (mask & XCB_CONFIG_WINDOW_STACK_MODE) values.push_back(e->stack_mode);
        xcb_configure_window(c_, e->window, mask, values.data());
        return;
    }
    const QRect from = c->latePlace ? *c->latePlace : c->geometry;
    QRect to = from;
    if (e->value_mask & XCB_CONFIG_WINDOW_X) to.moveLeft(e->x);
    if (e->value_mask & XCB_CONFIG_WINDOW_Y) to.moveTop(e->y);
    if (e->value_mask & XCB_CONFIG_WINDOW_WIDTH) to.setWidth(e->width);
    if (e->value_mask & XCB_CONFIG_WINDOW_HEIGHT) to.setHeight(e->height);
    if (c->latePlace) {
        if (to != from)
            note("holding %s's request for %d,%d %dx%d until it is placed", label(*c).constData(), to.x(), to.y(),
                 to.width(), to.height());
        c->latePlace = to;
        tellGeometry(*c);
    } else if (to != c->geometry) {
        moveResize(*c, to);
    } else {
        tellGeometry(*c);
    }
    if (e->value_mask & XCB_CONFIG_WINDOW_STACK_MODE)
        restackRequest(*c, (e->value_mask & XCB_CONFIG_WINDOW_SIBLING) ? e->sibling : XCB_NONE, e->stack_mode);
}

void StandInWindowManager::moveResize(Client& c, const QRect& r) {
    const std::uint32_t values[] = {std::uint32_t(r.x()), std::uint32_t(r.y()), std::uint32_t(r.width()),
                                    std::uint32_t(r.height())};
    xcb_configure_window(c_, c.id,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    c.geometry = r;
    tellGeometry(c);
}

void StandInWindowManager::tellGeometry(const Client& c) {
    // The notice a managed window gets of its place on the root.
    xcb_configure_notify_event_t n{};
    n.response_type = XCB_CONFIGURE_NOTIFY;
    n.event = n.window = c.id;
    n.x = std::int16_t(c.geometry.x());
    n.y = std::int16_t(c.geometry.y());
    n.width = std::uint16_t(c.geometry.width());
    n.height = std::uint16_t(c.geometry.height());
    xcb_send_event(c_, 0, c.id, XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char*>(&n));
}

void StandInWindowManager::onClientMessage(const xcb_client_message_event_t* e) {
    const auto* d = e->data.data32;
    if (e->type == atom("_NET_REQUEST_FRAME_EXTENTS")) {
        setProperty32(e->window, atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, {0, 0, 0, 0});
        return;
    }
    Client* c = find(e->window);
    if (!c) return;
    if (e->type == atom("_NET_ACTIVE_WINDOW")) {
        activate(*c, d[0]);
    } else if (e->type == atom("_NET_WM_STATE")) {
        changeState(*c, d[0], d[1]);
        if (d[2]) changeState(*c, d[0], d[2]);
        setProperty32(c->id, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, c->states);
    } else if (e->type == atom("_NET_RESTACK_WINDOW")) {
        restackRequest(*c, d[1], d[2]);
    } else if (e->type == atom("WM_CHANGE_STATE") && d[0] == kIconicState) {
        changeState(*c, kAdd, atom("_NET_WM_STATE_HIDDEN"));
        setProperty32(c->id, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, c->states);
    }
}

void StandInWindowManager::changeState(Client& c, std::uint32_t action, xcb_atom_t state) {
    const bool known = state == atom("_NET_WM_STATE_ABOVE") || state == atom("_NET_WM_STATE_STICKY") ||
                       state == atom("_NET_WM_STATE_SKIP_TASKBAR") || state == atom("_NET_WM_STATE_SKIP_PAGER") ||
                       state == atom("_NET_WM_STATE_HIDDEN");
    if (!known) return;
    const bool has = std::find(c.states.begin(), c.states.end(), state) != c.states.end();
    const bool on = action == kToggle ? !has : action == kAdd;
    if (on == has) return;
    if (on) c.states.push_back(state);
    else std::erase(c.states, state);
    if (state == atom("_NET_WM_STATE_HIDDEN")) {
        note("%s %s", on ? "hiding" : "showing", label(c).constData());
        if (on) iconify(c);
        else show(c);
    } else if (state == atom("_NET_WM_STATE_ABOVE")) {
        note("%s %s above the others", on ? "keeping" : "no longer keeping", label(c).constData());
        restack();
    }
}

} // namespace stand_in

namespace {

using namespace stand_in;

std::optional<Options> parseOptions(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription("The tests' stand-in window manager.");
    parser.addHelpOption();
    parser.addOption({"place-late", "Place a new window where it asked only after <ms>.", "ms", "0"});
    parser.addOption(
        {"activation", "Honour, ignore or answer late (late:<ms>) activation requests.", "mode", "honour"});
    parser.process(app);
    Options options;
    bool ok = false;
    options.placeLateMs = parser.value("place-late").toInt(&ok);
    if (!ok || options.placeLateMs < 0) return std::nullopt;
    const QString activation = parser.value("activation");
    if (activation == "honour") {
        options.activation = Activation::honour;
    } else if (activation == "ignore") {
        options.activation = Activation::ignore;
    } else if (activation.startsWith("late:")) {
        options.activation = Activation::late;
        options.activationDelayMs = activation.mid(5).toInt(&ok);
        if (!ok || options.activationDelayMs < 0) return std::nullopt;
    } else {
        return std::nullopt;
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto options = parseOptions(app);
    if (!options) {
        note("usage: standin_wm [--place-late MS] [--activation honour|ignore|late:MS]");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        note("cannot open the display");
        return 1;
    }
    StandInWindowManager wm(c, *options);
    if (!wm.start()) return 1;
    QSocketNotifier notifier(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] { wm.drain(); });
    // Replies read while handling an event may bring further events along,
    // which the socket no longer announces.
    QObject::connect(app.eventDispatcher(), &QAbstractEventDispatcher::aboutToBlock, [&] { wm.drain(); });
    wm.drain();
    const int status = app.exec();
    xcb_disconnect(c);
    return status;
}

#include "platform/X11EventSource.h"

#include "platform/X11.h"
#include "platform/X11InputWindow.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <xcb/randr.h>
#include <xcb/xfixes.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <cstdlib>

namespace platform {

X11EventSource& X11EventSource::instance() {
    static X11EventSource source;
    return source;
}

namespace {

// The one native event filter on Qt's connection.
class Filter : public QAbstractNativeEventFilter {
public:
    explicit Filter(X11EventSource& source) : source_(source) {}
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        return type == "xcb_generic_event_t" && source_.dispatch(static_cast<xcb_generic_event_t*>(message));
    }

private:
    X11EventSource& source_;
};

} // namespace

X11EventSource::X11EventSource() {
    installFilter();
    open();
}

void X11EventSource::installFilter() {
    if (filterInstalled_ || !x11::available() || !QCoreApplication::instance()) return;
    filterInstalled_ = true;
    static Filter filter(*this);
    QCoreApplication::instance()->installNativeEventFilter(&filter);
}

Subscription X11EventSource::handle(XEventStage stage, XEventHandler handler) {
    // Also when this source was first asked for before the application.
    installFilter();
    if (!filterInstalled_) return {};
    // After the last handler of its stage.
    auto at = std::find_if(handlers_.begin(), handlers_.end(), [stage](const Handler& h) { return h.stage > stage; });
    const auto entry = handlers_.insert(at, Handler{stage, std::move(handler)});
    return Subscription([this, entry] {
        if (dispatching_ > 0) {
            // Erased once the event in hand has been through every handler.
            entry->alive = false;
            handlerRemoved_ = true;
        } else {
            handlers_.erase(entry);
        }
    });
}

bool X11EventSource::dispatch(xcb_generic_event_t* ev) {
    if (handlers_.empty()) return false;
    XEvent e{ev, static_cast<std::uint8_t>(ev->response_type & 0x7f), (ev->response_type & 0x80) != 0, 0};
    if (e.type == XCB_GE_GENERIC) {
        const auto* ge = reinterpret_cast<const xcb_ge_generic_event_t*>(ev);
        if (ge->extension == x11::xinputOpcode()) e.xinputType = ge->event_type;
    }
    ++dispatching_;
    bool taken = false;
    for (auto it = handlers_.begin(); it != handlers_.end() && !taken; ++it)
        if (it->alive) taken = it->handle(e);
    if (--dispatching_ == 0 && handlerRemoved_) dropRemovedHandlers();
    return taken;
}

void X11EventSource::dropRemovedHandlers() {
    handlerRemoved_ = false;
    handlers_.remove_if([](const Handler& h) { return !h.alive; });
}

bool X11EventSource::windowManagerRunning() {
    if (!wmKnown_) learnWindowManager();
    return wmCheck_ != XCB_NONE;
}

bool X11EventSource::compositingManagerRunning() {
    if (!compositing_) compositing_ = x11::compositingManagerRunning();
    return *compositing_;
}

void X11EventSource::learnWindowManager() {
    wmKnown_ = true;
    wmCheck_ = XCB_NONE;
    if (!connection_) {
        // Without our own connection the property is all there is to go by,
        // read each time.
        wmKnown_ = false;
        if (!x11::property32(x11::root(), x11::atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 1).empty())
            wmCheck_ = x11::root();
        return;
    }
    auto readCheck = [this](xcb_window_t window) -> xcb_window_t {
        auto r = x11::reply(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, wmCheckAtom_, XCB_ATOM_WINDOW, 0, 1), nullptr));
        if (!r || r->format != 32 || r->type != XCB_ATOM_WINDOW || xcb_get_property_value_length(r.get()) < 4)
            return XCB_NONE;
        return *static_cast<const xcb_window_t*>(xcb_get_property_value(r.get()));
    };
    const xcb_window_t check = readCheck(x11::root());
    // A manager that died leaves the root's property behind: its check
    // window, gone with it, no longer names itself.
    if (check == XCB_NONE || readCheck(check) != check) return;
    // Its end, when the manager stops without taking the property away.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, check, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
    wmCheck_ = check;
}

X11EventSource::~X11EventSource() {
    notifier_.reset();
    if (connection_) xcb_disconnect(connection_);
}

void X11EventSource::open() {
    if (!x11::available()) return;
    // Same display as Qt's connection.
    xcb_connection_t* c = xcb_connect(qgetenv("DISPLAY").constData(), nullptr);
    if (!c || xcb_connection_has_error(c)) {
        if (c) xcb_disconnect(c);
        return;
    }
    connection_ = c;
    const xcb_window_t root = x11::root();
    cmSelection_ = x11::atom("_NET_WM_CM_S0");
    traySelection_ = x11::atom("_NET_SYSTEM_TRAY_S0");
    stackingAtom_ = x11::atom("_NET_CLIENT_LIST_STACKING");
    wmCheckAtom_ = x11::atom("_NET_SUPPORTING_WM_CHECK");
    clientListAtom_ = x11::atom("_NET_CLIENT_LIST");
    strutAtom_ = x11::atom("_NET_WM_STRUT");
    strutPartialAtom_ = x11::atom("_NET_WM_STRUT_PARTIAL");

    if (const auto* ext = xcb_get_extension_data(c, &xcb_xfixes_id); ext && ext->present) {
        auto v = x11::reply(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));
        if (v) {
            xfixesFirstEvent_ = ext->first_event;
            const std::uint32_t mask = XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                       XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                       XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE;
            xcb_xfixes_select_selection_input(c, root, cmSelection_, mask);
            xcb_xfixes_select_selection_input(c, root, traySelection_, mask);
        }
    }
    if (const std::uint8_t opcode = x11::xinputOpcode()) {
        // Each connection says which version it speaks before XI2 events
        // reach it.
        auto v = x11::reply(xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
        if (v && v->major_version >= 2) {
            haveXInput_ = true;
            xinputOpcode_ = opcode;
        }
    }
    if (const auto* ext = xcb_get_extension_data(c, &xcb_randr_id); ext && ext->present) {
        auto v = x11::reply(xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
        if (v) {
            randrFirstEvent_ = ext->first_event;
            xcb_randr_select_input(c, root,
                                   XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                       XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
        }
    }
    const std::uint32_t rootMask =
        XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &rootMask);
    watchClients();
    xcb_flush(c);

    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readEvents(); });
    readEvents();
}

void X11EventSource::watchClients() {
    auto r = x11::reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, x11::root(), clientListAtom_, XCB_ATOM_WINDOW, 0, 4096),
        nullptr));
    if (!r || r->format != 32) return;
    const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(r.get()));
    const int count = xcb_get_property_value_length(r.get()) / 4;
    // Not our own windows, whose properties we set ourselves.
    const xcb_setup_t* ours = xcb_get_setup(x11::connection());
    QSet<xcb_window_t> listed;
    for (int i = 0; i < count; ++i)
        if ((ids[i] & ~ours->resource_id_mask) != ours->resource_id_base) listed.insert(ids[i]);
    // Our mask on another client's window is ours alone; one that went
    // meanwhile answers with an error, read and dropped with the events.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    for (xcb_window_t id : listed)
        if (!watchedClients_.contains(id)) xcb_change_window_attributes(connection_, id, XCB_CW_EVENT_MASK, &mask);
    watchedClients_ = std::move(listed);
    xcb_flush(connection_);
}

void X11EventSource::retainRawInput() {
    if (++rawUsers_ == 1) selectRawInput(true);
}

void X11EventSource::releaseRawInput() {
    if (rawUsers_ > 0 && --rawUsers_ == 0) selectRawInput(false);
}

void X11EventSource::setRawMotionWanted(bool wanted) {
    if (rawMotion_ == wanted) return;
    rawMotion_ = wanted;
    if (rawUsers_ > 0) selectRawInput(true);
}

void X11EventSource::catchUp() {
    if (!connection_) return;
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    readEvents();
}

void X11EventSource::selectRawInput(bool on) {
    if (!connection_ || !haveXInput_) return;
    const std::uint32_t mask =
        on ? (XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE |
              XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE |
              (rawMotion_ ? XCB_INPUT_XI_EVENT_MASK_RAW_MOTION : 0))
           : 0;
    x11::selectXInputEvents(connection_, x11::root(), mask);
    xcb_flush(connection_);
}

void X11EventSource::readEvents() {
    if (!connection_) return;
    bool any = false;
    while (xcb_generic_event_t* ev = xcb_poll_for_event(connection_)) {
        any = true;
        const std::uint8_t type = ev->response_type & 0x7f;
        if (type == XCB_GE_GENERIC && haveXInput_) {
            auto* ge = reinterpret_cast<xcb_ge_generic_event_t*>(ev);
            if (ge->extension == xinputOpcode_) {
                auto* raw = reinterpret_cast<xcb_input_raw_button_press_event_t*>(ev);
                RawInput in;
                in.detail = raw->detail;
                in.time = raw->time;
                bool known = true;
                switch (ge->event_type) {
                case XCB_INPUT_RAW_BUTTON_PRESS: in.kind = RawInput::Kind::ButtonPress; break;
                case XCB_INPUT_RAW_BUTTON_RELEASE: in.kind = RawInput::Kind::ButtonRelease; break;
                case XCB_INPUT_RAW_MOTION: in.kind = RawInput::Kind::Motion; break;
                case XCB_INPUT_RAW_KEY_PRESS: in.kind = RawInput::Kind::KeyPress; break;
                case XCB_INPUT_RAW_KEY_RELEASE: in.kind = RawInput::Kind::KeyRelease; break;
                default: known = false;
                }
                if (known && rawUsers_ > 0) rawInput.emit(in);
            }
        } else if (xfixesFirstEvent_ && type == xfixesFirstEvent_ + XCB_XFIXES_SELECTION_NOTIFY) {
            auto* sn = reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(ev);
            const bool owned = sn->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER && sn->owner != XCB_NONE;
            if (sn->selection == cmSelection_) {
                compositing_ = owned;
                compositingChanged.emit(owned);
            }
            if (sn->selection == traySelection_) trayHostChanged.emit(owned);
        } else if (randrFirstEvent_ && (type == randrFirstEvent_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                                        type == randrFirstEvent_ + XCB_RANDR_NOTIFY)) {
            screenLayoutChanged.emit();
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            const auto* cn = reinterpret_cast<xcb_configure_notify_event_t*>(ev);
            if (cn->window == x11::root()) {
                screenLayoutChanged.emit();
            } else if (cn->event == x11::root() && X11InputWindow::ownerOf(cn->window) == 0) {
                // A window of the root moved or resized keeps its place in
                // the stacking; any other change is a restack. (The sibling
                // it now stands above says nothing: raising one window
                // changes the siblings of others, unannounced.) Our
                // input-only windows, which follow every restack, are left
                // out.
                const QRect geometry(cn->x, cn->y, cn->width, cn->height);
                const auto seen = rootChildGeometry_.constFind(cn->window);
                const bool restacked = seen == rootChildGeometry_.cend() || *seen == geometry;
                rootChildGeometry_.insert(cn->window, geometry);
                if (restacked) stackingChanged.emit();
            }
        } else if (type == XCB_MAP_NOTIFY || type == XCB_REPARENT_NOTIFY || type == XCB_CIRCULATE_NOTIFY) {
            // A window mapped or reparented onto the root goes on top of its
            // siblings: a window manager's frame as it takes on a window, a
            // window left on the root by a manager that ended.
            const auto* mn = reinterpret_cast<const xcb_map_notify_event_t*>(ev);
            if (mn->event == x11::root() && X11InputWindow::ownerOf(mn->window) == 0) stackingChanged.emit();
        } else if (type == XCB_DESTROY_NOTIFY) {
            const xcb_window_t gone = reinterpret_cast<xcb_destroy_notify_event_t*>(ev)->window;
            rootChildGeometry_.remove(gone);
            if (gone == wmCheck_ && wmKnown_) {
                wmCheck_ = XCB_NONE;
                // Its windows are left where it had them: ours put back in
                // order by ourselves now.
                stackingChanged.emit();
            }
        } else if (type == XCB_PROPERTY_NOTIFY) {
            auto* pn = reinterpret_cast<xcb_property_notify_event_t*>(ev);
            if (pn->window != x11::root()) {
                if (pn->atom == strutAtom_ || pn->atom == strutPartialAtom_) strutsChanged.emit();
            } else {
                if (pn->atom == clientListAtom_) watchClients();
                if (pn->atom == stackingAtom_) stackingChanged.emit();
                // Read again when next asked, not here; a manager that
                // starts restacks what it takes on.
                if (pn->atom == wmCheckAtom_) {
                    wmKnown_ = false;
                    stackingChanged.emit();
                }
                rootPropertyChanged.emit(pn->atom);
            }
        }
        std::free(ev);
    }
    if (any) batchEnded.emit();
}

} // namespace platform

#include "platform/X11EventSource.h"

#include "platform/X11.h"
#include "platform/X11InputWindow.h"

#include <QSocketNotifier>

#include <xcb/randr.h>
#include <xcb/xfixes.h>
#include <xcb/xinput.h>

#include <cstdlib>

namespace platform {

X11EventSource& X11EventSource::instance() {
    static X11EventSource source;
    return source;
}

X11EventSource::X11EventSource() { open(); }

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
    if (const auto* ext = xcb_get_extension_data(c, &xcb_input_id); ext && ext->present) {
        auto v = x11::reply(xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
        if (v && v->major_version >= 2) {
            haveXInput_ = true;
            xinputOpcode_ = ext->major_opcode;
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
    xcb_flush(c);

    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readEvents(); });
    readEvents();
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
            if (sn->selection == cmSelection_) compositingChanged.emit(owned);
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
        } else if (type == XCB_DESTROY_NOTIFY) {
            rootChildGeometry_.remove(reinterpret_cast<xcb_destroy_notify_event_t*>(ev)->window);
        } else if (type == XCB_PROPERTY_NOTIFY) {
            auto* pn = reinterpret_cast<xcb_property_notify_event_t*>(ev);
            if (pn->window == x11::root()) {
                if (pn->atom == stackingAtom_) stackingChanged.emit();
                rootPropertyChanged.emit(pn->atom);
            }
        }
        std::free(ev);
    }
    if (any) batchEnded.emit();
}

} // namespace platform

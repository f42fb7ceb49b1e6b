// A window of another process for the capture tests: an ordinary window at
// the geometry given on the command line, in one plain colour, whose
// program can be told to repaint it, to keep repainting it, or to stop
// handling events for a while (a program busy elsewhere, which leaves what
// it was sent to draw undrawn).
//   painting_window X Y W H
// The window has no background: what the X server uncovers of it shows
// what was there before until the program repaints it.
// Output: "ready WINDOW" once shown. It obeys properties set on its window:
//   _OVERINK_COLOUR (CARDINAL 0xRRGGBB): repaints the window in that colour
//     at once;
//   _OVERINK_RESTLESS: from then on repaints the window without end, in its
//     colour and a darker one by turns;
//   _OVERINK_HOLD: stops handling events until the property is deleted, and
//     sets _OVERINK_HELD on the window once it has stopped.
#include "StandInWindow.h"

#include <QPainter>
#include <QTimer>

namespace {

class PaintingWindow : public stand_in::ReadyWindow {
public:
    QColor colour{40, 160, 60};
    bool darker = false;

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter(this).fillRect(rect(), darker ? colour.darker(130) : colour);
        ReadyWindow::paintEvent(event);
    }
};

std::uint32_t cardinal(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
    auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    std::uint32_t value = 0;
    if (r && xcb_get_property_value_length(r) >= 4)
        value = *static_cast<const std::uint32_t*>(xcb_get_property_value(r));
    std::free(r);
    return value;
}

bool present(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
    auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, XCB_ATOM_ANY, 0, 0), nullptr);
    const bool there = r && r->type != XCB_ATOM_NONE;
    std::free(r);
    return there;
}

// Blocks the program until _OVERINK_HOLD is gone, listening on a connection
// of its own: the program's own connection piles up what it is sent.
void holdUntilReleased(xcb_window_t window) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    const xcb_atom_t hold = stand_in::internAtom(c, "_OVERINK_HOLD");
    const xcb_atom_t held = stand_in::internAtom(c, "_OVERINK_HELD");
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
    // Read after listening begins: a release that came before is seen here.
    bool holding = present(c, window, hold);
    const std::uint32_t one = 1;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, held, XCB_ATOM_CARDINAL, 32, 1, &one);
    xcb_flush(c);
    while (holding) {
        xcb_generic_event_t* e = xcb_wait_for_event(c);
        if (!e) break;
        if ((e->response_type & ~0x80) == XCB_PROPERTY_NOTIFY) {
            const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
            if (p->atom == hold && p->state == XCB_PROPERTY_DELETE) holding = false;
        }
        std::free(e);
    }
    xcb_delete_property(c, window, held);
    xcb_flush(c);
    xcb_disconnect(c);
}

class Commands : public QAbstractNativeEventFilter {
public:
    Commands(xcb_connection_t* c, PaintingWindow& w)
        : c_(c),
          w_(w),
          window_(static_cast<xcb_window_t>(w.winId())),
          colour_(stand_in::internAtom(c, "_OVERINK_COLOUR")),
          restless_(stand_in::internAtom(c, "_OVERINK_RESTLESS")),
          hold_(stand_in::internAtom(c, "_OVERINK_HOLD")) {
        QObject::connect(&repaints_, &QTimer::timeout, [this] {
            w_.darker = !w_.darker;
            w_.repaint();
        });
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        if ((e->response_type & ~0x80) != XCB_PROPERTY_NOTIFY) return false;
        const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
        if (p->window != window_ || p->state != XCB_PROPERTY_NEW_VALUE) return false;
        if (p->atom == colour_) {
            const std::uint32_t rgb = cardinal(c_, window_, colour_);
            w_.colour = QColor((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
            w_.repaint();
        } else if (p->atom == restless_) {
            repaints_.start(1);
        } else if (p->atom == hold_) {
            holdUntilReleased(window_);
        }
        return false;
    }

private:
    xcb_connection_t* c_;
    PaintingWindow& w_;
    xcb_window_t window_;
    xcb_atom_t colour_;
    xcb_atom_t restless_;
    xcb_atom_t hold_;
    QTimer repaints_;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    if (argc < 5) return 2;
    PaintingWindow w;
    w.setWindowFlags(Qt::FramelessWindowHint);
    w.setAttribute(Qt::WA_OpaquePaintEvent);
    stand_in::place(w, argv, w.colour);
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return 2;
    w.winId();
    const std::uint32_t none = XCB_BACK_PIXMAP_NONE;
    xcb_change_window_attributes(x11->connection(), static_cast<xcb_window_t>(w.winId()), XCB_CW_BACK_PIXMAP, &none);
    Commands commands(x11->connection(), w);
    app.installNativeEventFilter(&commands);
    w.show();
    return app.exec();
}

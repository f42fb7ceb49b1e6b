#pragma once

// What the tests' stand-in programs (the click recorder, the editor's
// stand-in) share: their window and the log of what reaches it.

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

namespace stand_in {

// Says "ready WINDOW" on stdout once it has first painted.
class ReadyWindow : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        if (reported_) return;
        reported_ = true;
        std::printf("ready %llu\n", static_cast<unsigned long long>(winId()));
        std::fflush(stdout);
    }

private:
    bool reported_ = false;
};

// Fills the window with `colour` and puts it at the X Y W H of argv[1..4].
inline void place(QWidget& w, char** argv, const QColor& colour) {
    w.setAutoFillBackground(true);
    QPalette pal = w.palette();
    pal.setColor(QPalette::Window, colour);
    w.setPalette(pal);
    w.setGeometry(std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
}

inline xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(qstrlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

// Reports on stdout, in the order the X server delivered them, every press
// of a button on the window ("press BUTTON X Y", root coordinates) and every
// change of its _OVERINK_SENTINEL property ("sentinel N"). Both are read
// from the X event stream as it comes in: reporting presses from Qt's widget
// events instead would let a later sentinel overtake them. `other` sees
// every other event.
class EventLog : public QAbstractNativeEventFilter {
public:
    EventLog(xcb_connection_t* c, xcb_window_t window)
        : window_(window), sentinel_(internAtom(c, "_OVERINK_SENTINEL")) {}

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        switch (e->response_type & ~0x80) {
        case XCB_BUTTON_PRESS: {
            const auto* b = reinterpret_cast<const xcb_button_press_event_t*>(e);
            if (b->event != window_) break;
            std::printf("press %d %d %d\n", int(b->detail), int(b->root_x), int(b->root_y));
            std::fflush(stdout);
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
            if (p->window != window_ || p->atom != sentinel_ || p->state != XCB_PROPERTY_NEW_VALUE) break;
            std::printf("sentinel %d\n", ++sentinels_);
            std::fflush(stdout);
            break;
        }
        default: other(e); break;
        }
        return false;
    }

protected:
    virtual void other(const xcb_generic_event_t*) {}

private:
    xcb_window_t window_;
    xcb_atom_t sentinel_;
    int sentinels_ = 0;
};

} // namespace stand_in

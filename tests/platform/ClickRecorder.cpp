// A window of another process for the x11 and e2e tests: an ordinary window
// at the geometry given on the command line that reports, on stdout and in
// the order the X server delivered them, every press it receives and every
// change of its _OVERINK_SENTINEL property.
//   click_recorder X Y W H [decorated]
// With "decorated" the window manager gives it a title bar and borders.
// Output: "ready WINDOW" once shown, "press BUTTON X Y" (X button number,
// root coordinates), "sentinel N" for the Nth property change. A test that
// sets the property after some input and then sees "sentinel N" knows that
// every press that input caused has been reported.
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

namespace {

class Recorder : public QWidget {
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

// Presses and sentinels are both read from the X event stream as it comes
// in; reporting presses from Qt's widget events instead would let a later
// sentinel overtake them.
class EventLog : public QAbstractNativeEventFilter {
public:
    EventLog(xcb_window_t window, xcb_atom_t sentinel) : window_(window), sentinel_(sentinel) {}
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
        default: break;
        }
        return false;
    }

private:
    xcb_window_t window_;
    xcb_atom_t sentinel_;
    int sentinels_ = 0;
};

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(qstrlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Core pointer events, so that presses can be read from the event stream
    // without decoding XInput 2.
    qputenv("QT_XCB_NO_XI2", "1");
    QApplication app(argc, argv);
    if (argc < 5) return 2;
    Recorder w;
    if (argc < 6 || qstrcmp(argv[5], "decorated") != 0) w.setWindowFlags(Qt::FramelessWindowHint);
    w.setAutoFillBackground(true);
    QPalette pal = w.palette();
    pal.setColor(QPalette::Window, QColor(40, 160, 60));
    w.setPalette(pal);
    w.setGeometry(atoi(argv[1]), atoi(argv[2]), atoi(argv[3]), atoi(argv[4]));
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return 2;
    EventLog log(static_cast<xcb_window_t>(w.winId()), internAtom(x11->connection(), "_OVERINK_SENTINEL"));
    app.installNativeEventFilter(&log);
    w.show();
    return app.exec();
}

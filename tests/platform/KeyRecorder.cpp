// A stand-in for the program the user types in (an editor), for the x11 and
// e2e tests: an ordinary window at the geometry given on the command line
// that takes the keyboard as it starts, as a program the user just opened
// would, and reports on stdout, in the order the X server delivered them,
// every key press it receives, every press of a button on it and every
// change of its _OVERINK_SENTINEL property.
//   key_recorder X Y W H
// Output: "ready WINDOW" once shown, "key KEYSYM MODIFIERS" (hexadecimal X
// keysym, X modifier state), "press BUTTON X Y", "sentinel N" for the Nth
// property change. A test that sets the property after some input and then
// sees "sentinel N" knows that every key that input sent here has been
// reported.
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>

namespace {

class Editor : public QWidget {
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

class EventLog : public QAbstractNativeEventFilter {
public:
    EventLog(xcb_connection_t* c, xcb_window_t window, xcb_atom_t sentinel)
        : symbols_(xcb_key_symbols_alloc(c)), window_(window), sentinel_(sentinel) {}
    ~EventLog() override { xcb_key_symbols_free(symbols_); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        switch (e->response_type & ~0x80) {
        case XCB_KEY_PRESS: {
            const auto* k = reinterpret_cast<const xcb_key_press_event_t*>(e);
            // Column 0: the key's own symbol, whatever the modifiers.
            const xcb_keysym_t sym = xcb_key_symbols_get_keysym(symbols_, k->detail, 0);
            std::printf("key %x %x\n", unsigned(sym), unsigned(k->state));
            std::fflush(stdout);
            break;
        }
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
    xcb_key_symbols_t* symbols_;
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
    // Core events, read from the event stream without decoding XInput 2.
    qputenv("QT_XCB_NO_XI2", "1");
    QApplication app(argc, argv);
    if (argc < 5) return 2;
    Editor w;
    w.setWindowTitle(QStringLiteral("Editor stand-in"));
    // Placed exactly where asked, as the click recorder is.
    w.setWindowFlags(Qt::FramelessWindowHint);
    w.setAutoFillBackground(true);
    QPalette pal = w.palette();
    pal.setColor(QPalette::Window, QColor(230, 220, 120));
    w.setPalette(pal);
    w.setFocusPolicy(Qt::StrongFocus);
    w.setGeometry(atoi(argv[1]), atoi(argv[2]), atoi(argv[3]), atoi(argv[4]));
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return 2;
    EventLog log(x11->connection(), static_cast<xcb_window_t>(w.winId()),
                 internAtom(x11->connection(), "_OVERINK_SENTINEL"));
    app.installNativeEventFilter(&log);
    w.show();
    w.activateWindow();
    return app.exec();
}

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
#include "StandInWindow.h"

#include <QWindow>

#include <xcb/xcb_keysyms.h>

namespace {

// Adds the keys to the stand-in's log.
class KeyLog : public stand_in::EventLog {
public:
    KeyLog(xcb_connection_t* c, xcb_window_t window) : EventLog(c, window), symbols_(xcb_key_symbols_alloc(c)) {}
    ~KeyLog() override { xcb_key_symbols_free(symbols_); }

protected:
    void other(const xcb_generic_event_t* e) override {
        if ((e->response_type & ~0x80) != XCB_KEY_PRESS) return;
        const auto* k = reinterpret_cast<const xcb_key_press_event_t*>(e);
        // Column 0: the key's own symbol, whatever the modifiers.
        const xcb_keysym_t sym = xcb_key_symbols_get_keysym(symbols_, k->detail, 0);
        std::printf("key %x %x\n", unsigned(sym), unsigned(k->state));
        std::fflush(stdout);
    }

private:
    xcb_key_symbols_t* symbols_;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Core events, read from the event stream without decoding XInput 2.
    qputenv("QT_XCB_NO_XI2", "1");
    QApplication app(argc, argv);
    if (argc < 5) return 2;
    stand_in::ReadyWindow w;
    w.setWindowTitle(QStringLiteral("Editor stand-in"));
    // Placed exactly where asked, as the click recorder is.
    w.setWindowFlags(Qt::FramelessWindowHint);
    w.setFocusPolicy(Qt::StrongFocus);
    stand_in::place(w, argv, QColor(230, 220, 120));
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return 2;
    KeyLog log(x11->connection(), static_cast<xcb_window_t>(w.winId()));
    app.installNativeEventFilter(&log);
    w.show();
    w.activateWindow();
    return app.exec();
}

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
#include "StandInWindow.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Core pointer events, so that presses can be read from the event stream
    // without decoding XInput 2.
    qputenv("QT_XCB_NO_XI2", "1");
    QApplication app(argc, argv);
    if (argc < 5) return 2;
    stand_in::ReadyWindow w;
    if (argc < 6 || qstrcmp(argv[5], "decorated") != 0) w.setWindowFlags(Qt::FramelessWindowHint);
    stand_in::place(w, argv, QColor(40, 160, 60));
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return 2;
    stand_in::EventLog log(x11->connection(), static_cast<xcb_window_t>(w.winId()));
    app.installNativeEventFilter(&log);
    w.show();
    return app.exec();
}

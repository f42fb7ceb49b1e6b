#pragma once

// How the program takes the X input focus for one of its windows, and hands
// it from one of its windows to another.
//
// X sends keys to the focused window only, and there is no other way for Esc
// and the Ctrl shortcuts to reach the program than holding the focus (a
// global key grab would take the keys from every other program). The focus
// is asked for with the time of the user's input that led to the request, so
// that a window manager can tell it from focus stealing, and the X server
// refuses it once the user has chosen another program since then.

#include "platform/Signal.h"

#include <cstdint>
#include <functional>

class QObject;
class QWindow;

namespace platform {

class WindowActivation {
public:
    enum class Cause {
        // The program acts on the user's input elsewhere (the tray icon, a
        // key, a toolbar control): asked of the window manager, and taken
        // directly where none runs or it does not give it.
        request,
        // The user pressed on this very window: taken at once, without the
        // window manager (which would also raise it).
        press,
    };

    // Starts following the times of the input events the program receives.
    // Every window calls it; calling it again does nothing.
    static void install();
    // The X server time of the newest key or button event that reached one
    // of our windows; 0 before any.
    static std::uint32_t userTime();

    // Gives the X input focus to `window`, a top-level window of ours, once it
    // is on screen. Off X, Qt's own activation.
    static void activate(QWindow* window, Cause cause = Cause::request);
    // Moves the focus to `window` at once, before the window of ours that
    // holds it goes off screen: no window manager needs to be asked, and the
    // focus never lands outside the program in between.
    static void handOver(QWindow* window);

    // Whether the X input focus is on `window` (on one of our windows for
    // none). Off X: whether Qt has the window (any of ours) focused.
    static bool holdsFocus(const QWindow* window = nullptr);

    // `window`, a window of ours, is about to go off screen. When it holds
    // the focus, the server moves the focus as it hides it, before any event
    // says so: where the focus went is asked anew.
    static void goesOffScreen(const QWindow* window);

    // An X window of ours lost the focus, as the server tells it (Qt waits
    // a moment before it says so, in case the focus comes back).
    static Signal<std::uint32_t>& focusLeft();

    // What waits out the window manager's time to answer a request before
    // the focus is taken directly: a timer of that time, stopped with
    // `context`. Tests hand in their own, to end the wait when they choose;
    // an empty one restores the timer.
    using GraceTimer = std::function<void(QObject* context, std::function<void()> ended)>;
    static void setGraceTimerForTesting(GraceTimer timer);
};

} // namespace platform

#pragma once

// A window's keyboard: whether it may take the focus, taking it, and handing it on as the window goes.

#include "platform/Signal.h"
#include "platform/WindowActivation.h"

#include <QObject>

#include <vector>

class QWindow;

namespace platform {

class Window;

// The keyboard of one window, owned by it (Window::keyboard()). Showing a
// window never activates it; only makeKey() does.
class WindowKeyboard : public QObject {
    Q_OBJECT
public:
    explicit WindowKeyboard(Window& window);
    ~WindowKeyboard() override;

    WindowKeyboard(const WindowKeyboard&) = delete;
    WindowKeyboard& operator=(const WindowKeyboard&) = delete;

    // The window holding keyboard focus, if it is one of ours.
    static Window* keyWindow();
    // When `leaving` (a window of ours about to go off screen, a dialog
    // included) holds the keyboard, gives it to another shown window of ours:
    // the one that had it last, else the first that can hold it.
    static void handOverKeyboardFrom(const QWindow* leaving);

    // Whether the window may take keyboard focus at all; changes at run time
    // without hiding the window.
    bool canBecomeKey() const { return canBecomeKey_; }
    void setCanBecomeKey(bool can);
    bool canBecomeMain() const { return canBecomeMain_; }
    void setCanBecomeMain(bool can) { canBecomeMain_ = can; }
    // A non-activating panel takes clicks without taking focus; it becomes
    // key only through makeKey(), and holds the keyboard until the user
    // gives it to another window.
    bool isNonActivatingPanel() const { return nonActivating_; }
    void setNonActivatingPanel(bool on);

    // Says, before the window is shown, that it takes the keyboard as it
    // shows: a window manager reads as it takes a window on whether the
    // window ever takes the keyboard, and one (fluxbox) hands the focus back
    // to the window that had it when a window it took on as refusing the
    // keyboard gets it after all.
    void takesKeyboardAsItShows() { prepareForKeyboard(); }
    // Takes the keyboard for the window, with the time of the user's input
    // that led here. Keys go to the window itself, not to a control of it,
    // unless a control already has the focus (a field that asked).
    void makeKey(WindowActivation::Cause cause = WindowActivation::Cause::request);
    // Whether Qt has the window focused.
    bool isKeyWindow() const;
    // Whether the X server has the keyboard focus on the window now.
    bool holdsKeyboardFocus() const;

    Signal<> didBecomeKey;
    Signal<> didResignKey;

private:
    friend class Window;
    // Whether the window refuses the focus for now (a hint to the window
    // manager and to Qt).
    bool refusesFocus() const { return !canBecomeKey_ || (nonActivating_ && !keyRequested_); }
    // Moves the keyboard to another shown window of ours when this one has
    // it.
    void handOverKeyboard();
    // Lets the window hold the keyboard with no control of it focused.
    void prepareForKeyboard();
    void focusWindowChanged(const QWindow* focus);
    // Our windows, the one that had the keyboard most recently first.
    static std::vector<Window*>& keyHistory();

    Window& window_;
    bool canBecomeKey_ = true;
    bool canBecomeMain_ = false;
    bool nonActivating_ = false;
    bool keyRequested_ = false;
    bool wasKey_ = false;
    Subscription focusLeftWatch_;
};

} // namespace platform

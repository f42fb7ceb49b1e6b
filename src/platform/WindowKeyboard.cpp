// Window's keyboard: taking it for the window, and handing it on to
// another window of ours before a window that holds it goes off screen.
#include "platform/WindowKeyboard.h"

#include "platform/Window.h"
#include "platform/X11.h"
#include "platform/X11EventSource.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace platform {

WindowKeyboard::WindowKeyboard(Window& window) : window_(window) {
    // The server says at once when the focus goes; Qt only a moment later.
    focusLeftWatch_ = WindowActivation::focusLeft().connect([this](std::uint32_t id) {
        if (id != window_.xid() || !nonActivating_ || !keyRequested_) return;
        keyRequested_ = false;
        window_.applyFlags();
    });
    QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
                     [this](QWindow* focus) { focusWindowChanged(focus); });
}

WindowKeyboard::~WindowKeyboard() {
    auto& history = keyHistory();
    history.erase(std::remove(history.begin(), history.end(), &window_), history.end());
}

void WindowKeyboard::focusWindowChanged(const QWindow* focus) {
    const bool key = focus && focus == window_.windowHandle();
    // A non-activating window takes the keyboard while it holds it (or is
    // about to), and never again through a click once the keyboard is
    // elsewhere, also when it was asked for and went elsewhere.
    if (nonActivating_ && keyRequested_ != key) {
        keyRequested_ = key;
        window_.applyFlags();
    }
    if (key == wasKey_) return;
    wasKey_ = key;
    if (key) {
        auto& history = keyHistory();
        history.erase(std::remove(history.begin(), history.end(), &window_), history.end());
        history.insert(history.begin(), &window_);
        didBecomeKey.emit();
    } else {
        didResignKey.emit();
    }
}

Window* WindowKeyboard::keyWindow() { return Window::fromQWindow(QGuiApplication::focusWindow()); }

std::vector<Window*>& WindowKeyboard::keyHistory() {
    static std::vector<Window*> windows;
    return windows;
}

void WindowKeyboard::setCanBecomeKey(bool can) {
    canBecomeKey_ = can;
    window_.applyFlags();
}

void WindowKeyboard::setNonActivatingPanel(bool on) {
    if (on == nonActivating_) return;
    // A window that holds the keyboard keeps it.
    if (on && isKeyWindow()) keyRequested_ = true;
    nonActivating_ = on;
    window_.applyFlags();
}

void WindowKeyboard::prepareForKeyboard() {
    if (nonActivating_ && !keyRequested_) {
        keyRequested_ = true;
        window_.applyFlags();
    }
    // A window that takes the keyboard anew shows no focused control: Qt
    // would otherwise focus the control that had it last, or the first that
    // takes the focus. A field that wants the keys asks for them after this.
    if (!isKeyWindow()) window_.widget()->setFocus(Qt::ActiveWindowFocusReason);
}

void WindowKeyboard::makeKey(WindowActivation::Cause cause) {
    if (!canBecomeKey_) return;
    // Only the newest request stands: a non-activating window asked for
    // before, which has not taken the keyboard yet, refuses it again, so
    // that no window manager hands it the focus as it maps it.
    for (Window* w : Window::all()) {
        WindowKeyboard& other = w->keyboard();
        if (&other == this || !other.nonActivating_ || !other.keyRequested_ || other.isKeyWindow()) continue;
        other.keyRequested_ = false;
        w->applyFlags();
    }
    prepareForKeyboard();
    if (!window_.widget()->isVisible()) return;
    WindowActivation::activate(window_.windowHandle(), cause);
}

bool WindowKeyboard::isKeyWindow() const {
    QWindow* w = window_.windowHandle();
    return w && QGuiApplication::focusWindow() == w;
}

bool WindowKeyboard::holdsKeyboardFocus() const {
    QWindow* w = window_.windowHandle();
    return w && window_.isVisible() && WindowActivation::holdsFocus(w);
}

void WindowKeyboard::handOverKeyboard() { handOverKeyboardFrom(window_.windowHandle()); }

void WindowKeyboard::handOverKeyboardFrom(const QWindow* leaving) {
    if (!leaving || !leaving->isVisible() || !WindowActivation::holdsFocus(leaving)) return;
    // Once the question above is answered: the focus moves as the window
    // goes, handed on or not.
    const auto gone = qScopeGuard([leaving] { WindowActivation::goesOffScreen(leaving); });
    auto takes = [leaving](Window* w) {
        return w->windowHandle() != leaving && !w->closed_ && w->isVisible() && w->keyboard().canBecomeKey_ &&
               w->xid() != XCB_NONE;
    };
    // A window manager gives the focus to a window of its choice as the
    // focused one goes, unless it knows the focus went to another of its
    // own: one of its windows is preferred to a base window, which it does
    // not know of.
    const bool managerRuns = X11EventSource::instance().windowManagerRunning();
    Window* next = nullptr;
    for (bool managedOnly : {managerRuns, false}) {
        for (const std::vector<Window*>& candidates : {keyHistory(), Window::all()}) {
            for (Window* w : candidates)
                if (takes(w) && !(managedOnly && w->isBaseWindow())) {
                    next = w;
                    break;
                }
            if (next) break;
        }
        if (next) break;
    }
    if (!next) return;
    next->keyboard().prepareForKeyboard();
    WindowActivation::handOver(next->windowHandle());
}

} // namespace platform

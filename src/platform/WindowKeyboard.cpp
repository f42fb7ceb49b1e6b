// Window's keyboard: taking it for the window, and handing it on to
// another window of ours before a window that holds it goes off screen.
#include "platform/Window.h"

#include "platform/X11.h"

#include <QScopeGuard>
#include <QWidget>
#include <QWindow>

namespace platform {

std::vector<Window*>& Window::keyHistory() {
    static std::vector<Window*> windows;
    return windows;
}

void Window::prepareForKeyboard() {
    if (nonActivating_ && !keyRequested_) {
        keyRequested_ = true;
        applyFlags();
    }
    // A window that takes the keyboard anew shows no focused control: Qt
    // would otherwise focus the control that had it last, or the first that
    // takes the focus. A field that wants the keys asks for them after this.
    if (!isKeyWindow()) host_->setFocus(Qt::ActiveWindowFocusReason);
}

void Window::makeKey(WindowActivation::Cause cause) {
    if (!canBecomeKey_) return;
    prepareForKeyboard();
    if (!host_->isVisible()) return;
    WindowActivation::activate(host_->windowHandle(), cause);
}

bool Window::holdsKeyboardFocus() const {
    QWindow* w = host_->windowHandle();
    return w && isVisible() && WindowActivation::holdsFocus(w);
}

void Window::handOverKeyboard() { handOverKeyboardFrom(host_->windowHandle()); }

void Window::handOverKeyboardFrom(const QWindow* leaving) {
    if (!leaving || !leaving->isVisible() || !WindowActivation::holdsFocus(leaving)) return;
    // Once the question above is answered: the focus moves as the window
    // goes, handed on or not.
    const auto gone = qScopeGuard([leaving] { WindowActivation::goesOffScreen(leaving); });
    auto takes = [leaving](Window* w) {
        return w->windowHandle() != leaving && !w->closed_ && w->isVisible() && w->canBecomeKey_ &&
               w->xid() != XCB_NONE;
    };
    Window* next = nullptr;
    for (Window* w : keyHistory())
        if (takes(w)) {
            next = w;
            break;
        }
    if (!next) {
        for (Window* w : all())
            if (takes(w)) {
                next = w;
                break;
            }
    }
    if (!next) return;
    next->prepareForKeyboard();
    WindowActivation::handOver(next->windowHandle());
}

} // namespace platform

#pragma once

// A dialog of ours (an alert, a file panel) that takes the keyboard as it
// shows, with the time of the user's input that opened it, and hands it to
// another window of ours before it goes off screen, so that the program
// stays active and no other program's window catches the keys meanwhile.

#include "platform/Window.h"
#include "platform/WindowActivation.h"

#include <QPointer>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>

namespace platform {

template <typename Dialog>
class KeyboardDialog : public Dialog {
public:
    using Dialog::Dialog;

    // Every way a dialog closes hides it through here (a message box's
    // buttons and Esc end it without done()), while it still holds the
    // keyboard.
    void setVisible(bool visible) override {
        if (!visible) WindowKeyboard::handOverKeyboardFrom(this->windowHandle());
        Dialog::setVisible(visible);
    }

protected:
    void showEvent(QShowEvent* event) override {
        Dialog::showEvent(event);
        // Asked for once the window is really shown.
        QPointer<QWindow> window = this->windowHandle();
        QTimer::singleShot(0, this, [window] {
            if (window) WindowActivation::activate(window);
        });
    }
};

} // namespace platform

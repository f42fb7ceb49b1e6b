// The anchored panels' keyboard hand-off for their text fields.
#include "ui/PanelKeyboard.h"

#include "platform/Dispatch.h"
#include "platform/Window.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWindow>

namespace ui {

bool isTextEntry(const QWidget* widget) {
    if (!widget || !widget->isEnabled()) return false;
    if (auto* line = qobject_cast<const QLineEdit*>(widget)) return !line->isReadOnly();
    if (auto* spin = qobject_cast<const QAbstractSpinBox*>(widget)) return !spin->isReadOnly();
    if (auto* text = qobject_cast<const QTextEdit*>(widget)) return !text->isReadOnly();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(widget)) return !plain->isReadOnly();
    return false;
}

QWidget* textEntryOf(QWidget* widget, const QWidget* within) {
    for (QWidget* w = widget; w && w != within; w = w->parentWidget()) {
        if (isTextEntry(w)) return w;
        if (w->isWindow()) break;
    }
    return nullptr;
}

PanelKeyboard::PanelKeyboard(platform::Window* window) : window_(window) {}

PanelKeyboard::~PanelKeyboard() { stop(); }

void PanelKeyboard::start() {
    platform::assertMainThread("PanelKeyboard::start");
    if (watching_ || !window_) return;
    watching_ = true;
    // Presses arrive at the native window before the widget under them.
    watchedWindow_ = window_->windowHandle();
    if (watchedWindow_) watchedWindow_->installEventFilter(this);
    // A key no widget of the panel took ends up at its top.
    window_->widget()->installEventFilter(this);
    focusConnection_ = QObject::connect(qApp, &QApplication::focusChanged, this,
                                        [this](QWidget* old, QWidget* now) { focusChanged(old, now); });
}

void PanelKeyboard::stop() {
    if (!watching_) return;
    watching_ = false;
    if (watchedWindow_) watchedWindow_->removeEventFilter(this);
    watchedWindow_ = nullptr;
    if (window_) window_->widget()->removeEventFilter(this);
    QObject::disconnect(focusConnection_);
    giveKeyboardBack();
}

void PanelKeyboard::takeKeyboard() {
    platform::assertMainThread("PanelKeyboard::takeKeyboard");
    if (!window_ || !window_->isVisible()) return;
    holding_ = true;
    platform::Window* key = platform::WindowKeyboard::keyWindow();
    if (key == window_) return;
    previousKeyWindow_ = key;
    window_->keyboard().makeKey();
}

void PanelKeyboard::giveKeyboardBack() {
    if (!holding_) return;
    holding_ = false;
    if (!window_ || !window_->keyboard().isKeyWindow()) return; // the keyboard went elsewhere by itself
    platform::Window* previous = previousKeyWindow_.data();
    previousKeyWindow_ = nullptr;
    if (previous && previous != window_ && previous->isVisible() && previous->keyboard().canBecomeKey()) {
        previous->keyboard().makeKey();
        return;
    }
    // Nowhere to go: the field at least stops taking the keys.
    if (QWidget* focus = QApplication::focusWidget(); isOurField(focus)) focus->clearFocus();
}

bool PanelKeyboard::fieldHasKeyboard() const {
    return window_ && window_->keyboard().isKeyWindow() && isOurField(QApplication::focusWidget());
}

bool PanelKeyboard::isOurField(const QWidget* widget) const {
    return window_ && widget && window_->widget()->isAncestorOf(widget) &&
           textEntryOf(const_cast<QWidget*>(widget), window_->widget());
}

void PanelKeyboard::focusChanged(QWidget* old, QWidget* now) {
    if (!holding_ || !isOurField(old) || isOurField(now)) return;
    giveKeyboardBack();
}

bool PanelKeyboard::eventFilter(QObject* watched, QEvent* event) {
    if (!window_) return false;
    if (watched == watchedWindow_ && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        QWidget* target = window_->widget()->childAt(press->position().toPoint());
        if (textEntryOf(target, window_->widget())) takeKeyboard();
        return false;
    }
    if (watched == window_->widget() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        // The field had Esc and made nothing of it: the typing ends.
        if (QWidget* focus = QApplication::focusWidget(); isOurField(focus)) {
            focus->clearFocus();
            giveKeyboardBack();
            return true;
        }
    }
    return false;
}

} // namespace ui

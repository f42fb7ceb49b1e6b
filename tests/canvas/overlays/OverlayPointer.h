#pragma once

// Pointer input for overlay tests, delivered as the window system delivers
// it: a press goes to the deepest widget under the pointer and, if ignored
// there, on to its parents; the moves and the release of that press go to
// the widget that was pressed.

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

namespace testing_support {

class OverlayPointer {
public:
    explicit OverlayPointer(QWidget& top) : top_(top) {}

    void press(QPointF at, Qt::MouseButton button = Qt::LeftButton) {
        QWidget* w = top_.childAt(at.toPoint());
        grabber_ = w ? w : &top_;
        buttons_ |= button;
        send(QEvent::MouseButtonPress, at, button);
    }
    void move(QPointF to) {
        if (grabber_) {
            send(QEvent::MouseMove, to, Qt::NoButton);
            return;
        }
        QWidget* w = top_.childAt(to.toPoint());
        QMouseEvent e(QEvent::MouseMove, mapped(w ? w : &top_, to), to, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w ? w : &top_, &e);
    }
    void release(QPointF at, Qt::MouseButton button = Qt::LeftButton) {
        buttons_ &= ~button;
        send(QEvent::MouseButtonRelease, at, button);
        grabber_.clear();
    }
    void click(QPointF at) {
        press(at);
        release(at);
    }
    // A press, `steps` moves along the way and the release at `to`.
    void drag(QPointF from, QPointF to, int steps = 8) {
        press(from);
        for (int i = 1; i <= steps; ++i) move(from + (to - from) * (double(i) / steps));
        release(to);
    }

private:
    QPointF mapped(QWidget* w, QPointF p) const { return w == &top_ ? p : QPointF(w->mapFrom(&top_, p)); }
    void send(QEvent::Type type, QPointF at, Qt::MouseButton button) {
        if (!grabber_) return;
        QMouseEvent e(type, mapped(grabber_, at), at, button, buttons_, Qt::NoModifier);
        QApplication::sendEvent(grabber_, &e);
    }

    QWidget& top_;
    QPointer<QWidget> grabber_;
    Qt::MouseButtons buttons_;
};

} // namespace testing_support

#pragma once

#include "platform/ScreenProvider.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class DrawingState;

// The content view of an overlay window: hosts the display's canvas (the
// root view, which fills it) and decides click by click whether the canvas
// gets the click. A click it turns away reaches no view of the overlay;
// whether clicks pass to the applications below is the window's pointer
// rule, which makes the whole window ignore the pointer.
class PassthroughHostingView : public QWidget {
public:
    explicit PassthroughHostingView(QWidget* rootView, QWidget* parent = nullptr);
    ~PassthroughHostingView() override;

    // Set by the overlay controller right after creation.
    std::weak_ptr<DrawingState> drawingState;
    // The overlay's display: only its strokes take clicks.
    platform::DisplayID displayID = 0;

    QWidget* rootView() const { return root_; }

    // The view a click at `point` reaches, `point` in the parent's
    // coordinates (its own without a parent); none: no view gets it.
    QWidget* hitTest(const QPointF& point) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The platform hit test: the deepest view under the point, none outside.
    QWidget* ownHitTest(const QPointF& viewPoint) const;
    void watch(QWidget* w);
    void mouseDown();

    QPointer<QWidget> root_;
    // A press turned away: its moves and release go nowhere either.
    bool turningAwayPress_ = false;
};

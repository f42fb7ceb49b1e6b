#pragma once

// The overlay window's content view, which passes clicks it does not take.

#include "app/PointerRules.h"
#include "platform/ScreenProvider.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

class DrawingState;

// The content view of an overlay window: hosts the display's canvas (the
// root view, which fills it) and decides click by click whether the canvas
// gets the click. A click it turns away reaches no view of the overlay;
// whether clicks pass to the applications below is the window's pointer
// rule, which makes the whole window ignore the pointer.
class PassthroughHostingView : public QWidget {
public:
    // Only strokes of `displayID`, the overlay's display, take clicks.
    PassthroughHostingView(QWidget* rootView, std::weak_ptr<DrawingState> drawingState, platform::DisplayID displayID,
                           QWidget* parent = nullptr);
    ~PassthroughHostingView() override;

    QWidget* rootView() const { return root_; }

    // The view a click at `point` reaches, `point` in the parent's
    // coordinates (its own without a parent); none: no view gets it. Where
    // clickPointerRule accepts, the deepest view under the point.
    QWidget* hitTest(const QPointF& point) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The platform hit test: the deepest view under the point, none outside.
    QWidget* ownHitTest(const QPointF& viewPoint) const;
    // The click rule at a point of this view; none without a drawing state.
    std::optional<PointerDecision> decide(const QPointF& viewPoint) const;
    void watch(QWidget* w);
    void mouseDown(const PointerDecision& decision);

    QPointer<QWidget> root_;
    std::weak_ptr<DrawingState> drawingState_;
    platform::DisplayID displayID_ = 0;
    // A press turned away: its moves and release go nowhere either.
    bool turningAwayPress_ = false;
};

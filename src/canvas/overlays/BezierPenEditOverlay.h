#pragma once

// The edit overlay of a bezier path: handles on its vertices and arms, a
// drag on the path moves it whole, a double-click on the path inserts a
// vertex there without changing the curve, a double-click on a vertex
// switches it between smooth and corner, and a click beside the path (under
// 5 pt of travel) is reported as an outside tap. It keeps every left press,
// on the path or not: the canvas leaves a bezier path's input to it.

#include "canvas/CanvasClock.h"
#include "canvas/overlays/HandleDragOverlay.h"

#include <memory>
#include <optional>

class BezierPenEditOverlay : public HandleDragOverlay {
public:
    using Action = CanvasOverlayFactory::Action;

    BezierPenEditOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate, Action onOutsideTap, QWidget* parent,
                         std::shared_ptr<CanvasClock> clock = CanvasClock::system());

protected:
    std::vector<QPointF> handles(const DrawingStroke& stroke) const override;
    DrawingStroke dragged(const DrawingStroke& start, std::size_t handle, QPointF to) const override;
    Grab grabOffHandles(QPointF point) const override;
    DrawingStroke moved(const DrawingStroke& start, QPointF by) const override;
    void clicked(QPointF point, Grab grab) override;
    double clickTravel() const override;
    std::vector<std::pair<QPointF, QPointF>> arms(const DrawingStroke& stroke) const override;

private:
    // Of a double-click at `point`: toggles the vertex there, else inserts
    // one on the path there; the changed path, or none.
    std::optional<DrawingStroke> doubleClicked(QPointF point) const;

    Action onOutsideTap_;
    std::shared_ptr<CanvasClock> clock_;
    std::optional<CanvasClock::TimePoint> lastClickTime_;
    QPointF lastClickLocation_;
};

#pragma once

// The edit overlay of a polygon shape (triangle to star): a handle on every
// vertex and on every arm. The first edit gives the stroke vertices of its
// own in place of the regular shape of its frame. A right double-click near
// a vertex switches it between a corner and a smooth curve, and tells the
// drawing state that a vertex is in curve mode.

#include "canvas/overlays/BezierGeometry.h"
#include "canvas/overlays/HandleDragOverlay.h"
#include "platform/Subscription.h"

class DrawingState;

class PolygonEditOverlay : public HandleDragOverlay {
public:
    PolygonEditOverlay(DrawingState& state, const DrawingStroke& stroke, StrokeHandler onUpdate, QWidget* parent);

    // Switches the vertex nearest to `point` (canvas coordinates, within a
    // handle's reach) between corner and smooth, and reports the stroke;
    // false when no vertex is that near.
    bool toggleVertexAt(QPointF point);

protected:
    std::vector<QPointF> handles(const DrawingStroke& stroke) const override;
    DrawingStroke dragged(const DrawingStroke& start, std::size_t handle, QPointF to) const override;
    std::vector<std::pair<QPointF, QPointF>> arms(const DrawingStroke& stroke) const override;

private:
    DrawingState& state_;
    platform::Subscription rightDoubleClicks_;
};

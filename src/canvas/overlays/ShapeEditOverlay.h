#pragma once

// The edit overlay of a rectangle: a handle at each corner of its frame.
// Dragging a corner keeps the opposite one in place; corners may cross, and
// the frame reported is normalised (start top left, end bottom right).

#include "canvas/overlays/HandleDragOverlay.h"

class ShapeEditOverlay : public HandleDragOverlay {
public:
    ShapeEditOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate, QWidget* parent);

protected:
    // Clockwise from the top left of the frame.
    std::vector<QPointF> handles(const DrawingStroke& stroke) const override;
    DrawingStroke dragged(const DrawingStroke& start, std::size_t handle, QPointF to) const override;
};

#pragma once

// The edit overlay of a freehand stroke: a handle at each end. Dragging one
// pulls the stroke after it like a chain while the other end stays put;
// every position of a drag is computed from the points as the press found
// them, so going back and forth never wears the stroke down.

#include "canvas/overlays/HandleDragOverlay.h"

class DrawingState;

class FreehandEditOverlay : public HandleDragOverlay {
public:
    enum Handle : std::size_t { first = 0, last = 1 };

    FreehandEditOverlay(DrawingState& state, const DrawingStroke& stroke, StrokeHandler onUpdate, QWidget* parent);

protected:
    std::vector<QPointF> handles(const DrawingStroke& stroke) const override;
    DrawingStroke dragged(const DrawingStroke& start, std::size_t handle, QPointF to) const override;
    // Brush strokes are painted with their brush's stamps.
    void paintStroke(QPainter& painter) const override;

private:
    DrawingState& state_;
};

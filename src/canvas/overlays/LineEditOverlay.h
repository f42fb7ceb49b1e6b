#pragma once

// The edit overlay of a line or an arrow: a handle at each end and one on
// the curve at its middle, which bends the line through itself.

#include "canvas/overlays/HandleDragOverlay.h"

class LineEditOverlay : public HandleDragOverlay {
public:
    enum Handle : std::size_t { start = 0, middle = 1, end = 2 };

    LineEditOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate, QWidget* parent);

    // The point halfway along the line's curve (t = ½).
    static QPointF curveMiddle(const DrawingStroke& stroke);

protected:
    std::vector<QPointF> handles(const DrawingStroke& stroke) const override;
    DrawingStroke dragged(const DrawingStroke& start, std::size_t handle, QPointF to) const override;
};

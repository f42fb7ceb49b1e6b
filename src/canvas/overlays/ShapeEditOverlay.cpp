// Rectangle (and ellipse) frame editing by its corners.

#include "canvas/overlays/ShapeEditOverlay.h"

#include "model/Algorithms.h"

ShapeEditOverlay::ShapeEditOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate, QWidget* parent)
    : HandleDragOverlay(stroke, std::move(onUpdate), parent) {}

std::vector<QPointF> ShapeEditOverlay::handles(const DrawingStroke& stroke) const {
    const QRectF r = frameRect(stroke.startPoint, stroke.endPoint);
    return {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
}

DrawingStroke ShapeEditOverlay::dragged(const DrawingStroke& start, std::size_t handle, QPointF to) const {
    const std::vector<QPointF> corners = handles(start);
    if (handle >= corners.size()) return start;
    const QRectF r = frameRect(corners[(handle + 2) % 4], to);
    DrawingStroke s = start;
    s.startPoint = r.topLeft();
    s.endPoint = r.bottomRight();
    return s;
}

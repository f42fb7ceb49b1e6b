// Freehand editing by either end.

#include "canvas/overlays/FreehandEditOverlay.h"

#include "canvas/SolidPixels.h"
#include "canvas/StrokeRenderer.h"
#include "canvas/StrokeView.h"
#include "model/Algorithms.h"
#include "model/DrawingState.h"

FreehandEditOverlay::FreehandEditOverlay(DrawingState& state, const DrawingStroke& stroke, StrokeHandler onUpdate,
                                         QWidget* parent)
    : HandleDragOverlay(stroke, std::move(onUpdate), parent), state_(state) {}

std::vector<QPointF> FreehandEditOverlay::handles(const DrawingStroke& stroke) const {
    if (stroke.points.empty()) return {};
    return {stroke.points.get().front(), stroke.points.get().back()};
}

DrawingStroke FreehandEditOverlay::dragged(const DrawingStroke& start, std::size_t handle, QPointF to) const {
    if (start.points.size() < 2) return start;
    DrawingStroke s = start;
    s.points = dragStrokeEnd(start.points.get(), handle == Handle::first, to);
    return s;
}

void FreehandEditOverlay::paintStroke(QPainter& painter) const {
    const DrawingStroke& s = stroke();
    std::vector<QImage> stamps;
    if (s.gimpBrushID) stamps = state_.tintedStamps(*s.gimpBrushID, s.color, s.lineWidth);
    if (isShownSolid(*this)) StrokeView{s, std::move(stamps)}.renderSolid(painter);
    else drawStroke(s, painter, stamps);
}

// Minimal brush painters, kept only until the stamping engine's own
// (drawGIMPBrushStroke, drawTexturedStroke) replace this file: the first cell
// stamped unrotated along the path at the stroke's spacing, and textured
// strokes drawn as plain pen lines. Both stay inside the extents of
// BrushStrokeExtent.h.

#include "brushes/DrawingInstructions.h"

#include "canvas/StrokePainters.h"
#include "model/DrawingStroke.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace drawingInstructions {

void drawGIMPBrushStroke(const DrawingStroke& stroke, const std::vector<QImage>& cells, QPainter& painter) {
    if (stroke.points.empty() || cells.empty() || cells.front().isNull()) return;
    const QImage& cell = cells.front();
    const double side = std::max(cell.width(), cell.height());
    const double step = std::max(side * stroke.gimpSpacing / 100, 1.0);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setOpacity(painter.opacity() * std::clamp(stroke.color.a, 0.0, 1.0));
    const QPointF half(cell.width() / 2.0, cell.height() / 2.0);
    QPointF last = stroke.points.front();
    painter.drawImage(last - half, cell);
    for (QPointF p : stroke.points) {
        if (std::hypot(p.x() - last.x(), p.y() - last.y()) < step) continue;
        painter.drawImage(p - half, cell);
        last = p;
    }
    painter.restore();
}

void drawTexturedStroke(const DrawingStroke& stroke, int kind, QPainter& painter) {
    (void)kind;
    if (stroke.points.size() == 1) {
        DrawingStroke dot = stroke;
        dot.points.push_back(stroke.points.front());
        drawPenStroke(dot, painter);
        return;
    }
    drawPenStroke(stroke, painter);
}

} // namespace drawingInstructions

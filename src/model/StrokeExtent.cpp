#include "model/StrokeExtent.h"

#include "geometry/AirbrushGeometry.h"
#include "geometry/BrushReach.h"
#include "geometry/ExtentBuilder.h"
#include "geometry/FreehandGeometry.h"
#include "geometry/LineGeometry.h"
#include "geometry/Points.h"
#include "geometry/ShapeGeometry.h"
#include "model/Algorithms.h"
#include "model/DrawingStroke.h"
#include "model/StrokeText.h"

namespace {

const std::vector<QPointF>* armsOf(const std::optional<std::vector<QPointF>>& arms) { return arms ? &*arms : nullptr; }

} // namespace

QRectF drawnExtent(const DrawingStroke& s) {
    const double w = s.lineWidth;
    if (isPolygonShape(s.tool))
        return polygonExtent(polygonVertices(s), w, armsOf(s.bezierHandleIn), armsOf(s.bezierHandleOut));
    switch (s.tool) {
    case DrawingTool::move: return QRectF();
    case DrawingTool::pen: return penExtent(s.points, w);
    case DrawingTool::bezierPen: {
        const std::vector<QPointF>& anchors = s.customVertices ? *s.customVertices : s.points.get();
        return bezierPathExtent(anchors, w, armsOf(s.bezierHandleIn), armsOf(s.bezierHandleOut));
    }
    case DrawingTool::calligraphyBrush: return calligraphyExtent(s.points, w);
    case DrawingTool::brushPen: return brushPenExtent(s.points, w);
    case DrawingTool::watercolorBrush: return texturedStrokeExtent(s.points, w, kWatercolorJitter);
    case DrawingTool::chalk: return texturedStrokeExtent(s.points, w, kChalkJitter);
    case DrawingTool::airbrush: return airbrushExtent(s.points, w);
    case DrawingTool::gimpBrush:
        // Stamped with the brush's cells, or drawn as a brush pen while
        // they are not loaded.
        return brushPenExtent(s.points, w).united(gimpBrushStampExtent(s.points, w));
    case DrawingTool::line: return lineExtent(s.startPoint, s.endPoint, s.controlPoint, w);
    case DrawingTool::arrow: return arrowExtent(s.startPoint, s.endPoint, s.controlPoint, w);
    case DrawingTool::rectangle:
    case DrawingTool::ellipse: return frameShapeExtent(frameRect(s.startPoint, s.endPoint), w);
    case DrawingTool::text: return layoutText(s).inkExtent();
    case DrawingTool::eraser:
        // The live eraser shows its dabs, four widths in radius.
        return grownBounds(s.points, w * 4);
    default: return QRectF(); // the polygon shapes are answered above
    }
}

QRectF shownDrawnExtent(const DrawingStroke& s) {
    const QRectF r = drawnExtent(s);
    return r.isNull() ? r : r.translated(s.offset.width(), s.offset.height());
}

QRectF eraserTestExtent(const DrawingStroke& s) {
    // Built by hand: QRectF::united drops a zero-sized rectangle, which here
    // is still a place.
    ExtentBuilder b;
    b.add(s.boundingRect());
    const QRectF drawn = drawnExtent(s);
    if (!drawn.isNull()) b.add(drawn);
    return b.rect();
}

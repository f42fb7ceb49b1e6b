#include "model/StrokeExtent.h"

#include "canvas/StrokePainters.h"
#include "geometry/BrushReach.h"
#include "geometry/ExtentBuilder.h"
#include "geometry/Points.h"
#include "model/Algorithms.h"
#include "model/DrawingStroke.h"
#include "model/StrokeText.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

bool isZero(QPointF v) { return v.x() == 0 && v.y() == 0; }

QRectF freehandPenExtent(const DrawingStroke& s) {
    // Round caps and joins: never further than half the width from a sample.
    return grownBounds(s.points, s.lineWidth / 2);
}

QRectF bezierPenExtent(const DrawingStroke& s) {
    const std::vector<QPointF>& anchors = s.customVertices ? *s.customVertices : s.points.get();
    ExtentBuilder b;
    // Whether the painter closes the path is not recorded on the stroke:
    // take in the joins of both readings.
    b.addStrokedPath(anchors, s.lineWidth, false, s.bezierHandleIn ? &*s.bezierHandleIn : nullptr,
                     s.bezierHandleOut ? &*s.bezierHandleOut : nullptr);
    if (anchors.size() >= 3) {
        b.addStrokedPath(anchors, s.lineWidth, true, s.bezierHandleIn ? &*s.bezierHandleIn : nullptr,
                         s.bezierHandleOut ? &*s.bezierHandleOut : nullptr);
    }
    return b.rect();
}

QRectF lineExtent(const DrawingStroke& s, bool arrow) {
    const double w = s.lineWidth;
    const QPointF a = s.startPoint, e = s.endPoint;
    ExtentBuilder b;
    QPointF startDirection, endDirection;
    if (s.controlPoint) {
        b.add(quadraticBounds(a, *s.controlPoint, e).adjusted(-w / 2, -w / 2, w / 2, w / 2));
        startDirection = firstDirection({*s.controlPoint - a, e - a});
        endDirection = firstDirection({e - *s.controlPoint, e - a});
    } else {
        b.addSegment(a, e, w);
        startDirection = endDirection = e - a;
    }
    b.addCap(a, -startDirection, w);
    b.addCap(e, endDirection, w);
    if (!arrow) return b.rect();

    // Two head strokes from the end, max(5w, 14) long, ±30° off the
    // reversed end direction.
    const double headLength = std::max(w * 5, 14.0);
    if (isZero(endDirection)) {
        // No direction: the head may point anywhere.
        b.add(e, headLength + w);
        return b.rect();
    }
    const double angle = std::atan2(endDirection.y(), endDirection.x());
    QPointF tips[2];
    int k = 0;
    for (double turn : {std::numbers::pi / 6, -std::numbers::pi / 6}) {
        const QPointF tip = e - QPointF(std::cos(angle + turn), std::sin(angle + turn)) * headLength;
        tips[k++] = tip;
        b.addSegment(e, tip, w);
        b.addCap(tip, tip - e, w);
        // Joined to the line, or to the other head stroke, whichever way the
        // painter builds its path.
        b.addJoin(e, endDirection, tip - e, w);
    }
    b.addJoin(e, e - tips[0], tips[1] - e, w);
    b.addJoin(e, e - tips[1], tips[0] - e, w);
    return b.rect();
}

QRectF polygonExtent(const DrawingStroke& s) {
    ExtentBuilder b;
    b.addStrokedPath(polygonVertices(s), s.lineWidth, true, s.bezierHandleIn ? &*s.bezierHandleIn : nullptr,
                     s.bezierHandleOut ? &*s.bezierHandleOut : nullptr);
    return b.rect();
}

} // namespace

QRectF drawnExtent(const DrawingStroke& s) {
    const double w = s.lineWidth;
    if (isPolygonShape(s.tool)) return polygonExtent(s);
    switch (s.tool) {
    case DrawingTool::move: return QRectF();
    case DrawingTool::pen: return freehandPenExtent(s);
    case DrawingTool::bezierPen: return bezierPenExtent(s);
    case DrawingTool::calligraphyBrush: return calligraphyExtent(s);
    case DrawingTool::brushPen: return brushPenExtent(s);
    case DrawingTool::watercolorBrush: return texturedStrokeExtent(s.points, w, kWatercolorJitter);
    case DrawingTool::chalk: return texturedStrokeExtent(s.points, w, kChalkJitter);
    case DrawingTool::airbrush: return airbrushExtent(s);
    case DrawingTool::gimpBrush:
        // Stamped with the brush's cells, or drawn as a brush pen while
        // they are not loaded.
        return brushPenExtent(s).united(gimpBrushStampExtent(s.points, w));
    case DrawingTool::line: return lineExtent(s, false);
    case DrawingTool::arrow: return lineExtent(s, true);
    case DrawingTool::rectangle:
    case DrawingTool::ellipse:
        // A rectangle's right-angled miters reach exactly half the width out
        // on both axes; an ellipse has no joins.
        return frameRect(s.startPoint, s.endPoint).adjusted(-w / 2, -w / 2, w / 2, w / 2);
    case DrawingTool::text: return layoutText(s).inkExtent();
    case DrawingTool::eraser: {
        // The live eraser shows its dabs, four widths in radius.
        return grownBounds(s.points, w * 4);
    }
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

// Drawn extents of the brush engine's painters.

#include "brushes/BrushStrokeExtent.h"

#include "model/Algorithms.h"
#include "model/DrawingStroke.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace brushEngine {

namespace {

// The points' bounds grown by (rx, ry); null without points. Stamps sit on
// the segments between consecutive points, which these bounds contain.
QRectF pointsGrownBy(const DrawingStroke& stroke, double rx, double ry) {
    if (stroke.points.empty()) return QRectF();
    return pointsBounds(stroke.points).adjusted(-rx, -ry, rx, ry);
}

// Vertical jitter of a textured stamp, as a fraction of the line width
// (the stamp moves by at most half of it either way).
double jitterFactor(int kind) { return kind == kChalkKind ? 0.24 : 0.1; }

} // namespace

QRectF gimpBrushStampExtent(const DrawingStroke& stroke) {
    // A cell of side s rotated about its centre reaches s·√2/2.
    const double side = std::round(std::max(1.0, stroke.lineWidth));
    const double reach = side * std::numbers::sqrt2 / 2;
    return pointsGrownBy(stroke, reach, reach);
}

QRectF texturedStrokeExtent(const DrawingStroke& stroke, int kind) {
    const double lw = std::abs(stroke.lineWidth);
    const double reach = lw * std::numbers::sqrt2 / 2;
    return pointsGrownBy(stroke, reach, reach + lw * jitterFactor(kind) / 2);
}

} // namespace brushEngine

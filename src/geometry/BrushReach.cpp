#include "geometry/BrushReach.h"

#include "geometry/Points.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// The points' bounds grown by (rx, ry); null without points. Stamps sit on
// the segments between consecutive points, which these bounds contain.
QRectF pointsGrownBy(const std::vector<QPointF>& points, double rx, double ry) {
    if (points.empty()) return QRectF();
    return pointsBounds(points).adjusted(-rx, -ry, rx, ry);
}

} // namespace

QRectF gimpBrushStampExtent(const std::vector<QPointF>& points, double lineWidth) {
    // A cell of side s rotated about its centre reaches s·√2/2.
    const double side = std::round(std::max(1.0, lineWidth));
    const double reach = side * std::numbers::sqrt2 / 2;
    return pointsGrownBy(points, reach, reach);
}

QRectF texturedStrokeExtent(const std::vector<QPointF>& points, double lineWidth, double jitter) {
    const double lw = std::abs(lineWidth);
    const double reach = lw * std::numbers::sqrt2 / 2;
    return pointsGrownBy(points, reach, reach + lw * jitter / 2);
}

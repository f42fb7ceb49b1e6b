// The canvas's hit test: the pointer's test, with a bezier path measured
// along its drawn curves.

#include "canvas/CanvasHitTest.h"

#include "model/DrawingStroke.h"
#include "model/StrokeHitIndex.h"

#include <cmath>
#include <vector>

namespace {

// Curves are tested at 21 points each, the ends included; the samples are
// not joined, so a point on a long curve between two of them may miss.
constexpr int kCurveSteps = 20;

double distance(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

bool nearCubic(QPointF q, QPointF p0, QPointF p1, QPointF p2, QPointF p3, double tol) {
    for (int k = 0; k <= kCurveSteps; ++k) {
        const double t = double(k) / kCurveSteps, u = 1 - t;
        const QPointF b = p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) + p3 * (t * t * t);
        if (distance(q, b) < tol) return true;
    }
    return false;
}

bool nearQuadratic(QPointF q, QPointF s, QPointF c, QPointF e, double tol) {
    for (int k = 0; k <= kCurveSteps; ++k) {
        const double t = double(k) / kCurveSteps, u = 1 - t;
        if (distance(q, s * (u * u) + c * (2 * u * t) + e * (t * t)) < tol) return true;
    }
    return false;
}

bool bezierPathHit(const DrawingStroke& s, QPointF point) {
    const QPointF q = point - QPointF(s.offset.width(), s.offset.height());
    const double tol = hitTolerance(s.lineWidth);
    const auto& in = s.bezierHandleIn;
    const auto& out = s.bezierHandleOut;
    if (s.customVertices && s.customVertices->size() >= 2 && in && out && in->size() == s.customVertices->size() &&
        out->size() == s.customVertices->size()) {
        // One cubic per pair of neighbouring anchors; the path is open.
        const std::vector<QPointF>& v = *s.customVertices;
        for (std::size_t i = 0; i + 1 < v.size(); ++i)
            if (nearCubic(q, v[i], v[i] + (*out)[i], v[i + 1] + (*in)[i + 1], v[i + 1], tol)) return true;
        return false;
    }
    if (in && out && in->size() == 1 && out->size() == 1)
        return nearCubic(q, s.startPoint, s.startPoint + out->front(), s.endPoint + in->front(), s.endPoint, tol);
    if (s.controlPoint) return nearQuadratic(q, s.startPoint, *s.controlPoint, s.endPoint, tol);
    // Without arms, along the anchors as the freehand tools are tested.
    return strokeHitTest(s, point);
}

} // namespace

bool canvasHitTest(const DrawingStroke& stroke, QPointF point) {
    if (stroke.tool == DrawingTool::bezierPen) return bezierPathHit(stroke, point);
    return strokeHitTest(stroke, point);
}

#include "model/StrokeHitIndex.h"

#include "model/Algorithms.h"
#include "model/DrawingStroke.h"
#include "model/StrokeList.h"
#include "model/StrokeText.h"

#include <algorithm>
#include <cmath>

namespace {

double distance(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

QPointF quadraticAt(QPointF s, QPointF c, QPointF e, double t) {
    const double u = 1 - t;
    return s * (u * u) + c * (2 * u * t) + e * (t * t);
}

// The bounds of some points grown by `margin`; null for none.
QRectF pointBounds(const std::vector<QPointF>& pts, double margin) {
    const QRectF r = pointsBounds(pts);
    return pts.empty() ? r : r.adjusted(-margin, -margin, margin, margin);
}

// A little over the tolerance, so that rounding in the distances can never
// make the rejection refuse a hit.
double rejectionMargin(double tol) { return tol + 1e-6 * (1 + std::abs(tol)); }

} // namespace

double hitTolerance(double lineWidth) { return std::max(12.0, lineWidth * 0.5 + 8); }

bool strokeHitTest(const DrawingStroke& s, QPointF point) {
    // Tested where it is shown: a move not yet baked in counts.
    const QPointF q = point - QPointF(s.offset.width(), s.offset.height());
    const double tol = hitTolerance(s.lineWidth);
    if (isPolygonShape(s.tool)) return isNearPolygonEdge(q, polygonVertices(s), tol);
    if (isFreehandTool(s.tool)) {
        // Along the sampled polyline (a bezier path's anchors too, not its curves).
        const auto& p = s.points;
        if (p.empty()) return false;
        if (p.size() == 1) return distance(q, p[0]) < tol;
        for (std::size_t i = 0; i + 1 < p.size(); ++i) {
            const QPointF a = p[i], b = p[i + 1];
            // A segment whose box lies a tolerance away cannot be nearer:
            // skipped without measuring.
            if (q.x() + tol <= std::min(a.x(), b.x()) || q.x() - tol >= std::max(a.x(), b.x()) ||
                q.y() + tol <= std::min(a.y(), b.y()) || q.y() - tol >= std::max(a.y(), b.y()))
                continue;
            if (distanceToSegment(q, a, b) < tol) return true;
        }
        return false;
    }
    switch (s.tool) {
    case DrawingTool::line:
    case DrawingTool::arrow: {
        if (!s.controlPoint) return distanceToSegment(q, s.startPoint, s.endPoint) < tol;
        // The curve is tested at 21 samples, not joined.
        for (int k = 0; k <= 20; ++k) {
            if (distance(q, quadraticAt(s.startPoint, *s.controlPoint, s.endPoint, k / 20.0)) < tol) return true;
        }
        return false;
    }
    case DrawingTool::rectangle: {
        const QRectF r = frameRect(s.startPoint, s.endPoint);
        const QPointF tl(r.left(), r.top()), tr(r.right(), r.top()), br(r.right(), r.bottom()),
            bl(r.left(), r.bottom());
        return distanceToSegment(q, tl, tr) < tol || distanceToSegment(q, tr, br) < tol ||
               distanceToSegment(q, br, bl) < tol || distanceToSegment(q, bl, tl) < tol;
    }
    case DrawingTool::ellipse: {
        const QRectF r = frameRect(s.startPoint, s.endPoint);
        const double rx = r.width() / 2, ry = r.height() / 2;
        if (rx <= 0 || ry <= 0) return false;
        const QPointF c = r.center();
        const double radial = std::hypot((q.x() - c.x()) / rx, (q.y() - c.y()) / ry);
        return std::abs(radial - 1) < tol / std::min(rx, ry);
    }
    case DrawingTool::text: return textStroke(s, q);
    default: return false; // move and eraser strokes never take the pointer
    }
}

QRectF hitExtent(const DrawingStroke& s) {
    const double margin = rejectionMargin(hitTolerance(s.lineWidth));
    if (isFreehandTool(s.tool)) return pointBounds(s.points, margin);
    if (isPolygonShape(s.tool)) {
        const auto v = polygonVertices(s);
        return v.size() < 2 ? QRectF() : pointBounds(v, margin);
    }
    switch (s.tool) {
    case DrawingTool::line:
    case DrawingTool::arrow: {
        // The samples of a curve lie within the hull of its three points.
        std::vector<QPointF> pts{s.startPoint, s.endPoint};
        if (s.controlPoint) pts.push_back(*s.controlPoint);
        return pointBounds(pts, margin);
    }
    case DrawingTool::rectangle: return pointBounds({s.startPoint, s.endPoint}, margin);
    case DrawingTool::ellipse: {
        const QRectF r = frameRect(s.startPoint, s.endPoint);
        const double rx = r.width() / 2, ry = r.height() / 2;
        if (rx <= 0 || ry <= 0) return QRectF();
        // The band is normalised to the shorter radius, so along the longer
        // axis it reaches further than the tolerance.
        const double grow = 1 + margin / std::min(rx, ry);
        const QPointF c = r.center();
        return QRectF(c.x() - rx * grow, c.y() - ry * grow, 2 * rx * grow, 2 * ry * grow);
    }
    case DrawingTool::text: {
        if (s.text.isEmpty()) return QRectF();
        // Grown a hair, for the same rounding reason as the others.
        return layoutText(s).measuredExtent().adjusted(-1e-6, -1e-6, 1e-6, 1e-6);
    }
    default: return QRectF(); // never hit
    }
}

StrokeHitIndex::StrokeHitIndex(const StrokeList& strokes) : strokes_(strokes) {}

const std::vector<QRectF>& StrokeHitIndex::extents() const {
    const auto& list = strokes_.get();
    const std::uint64_t now = strokes_.revision();
    if (revision_ == now && extents_.size() == list.size()) return extents_;
    bool caughtUp = false;
    if (revision_) {
        if (const auto changes = strokes_.changesSince(*revision_)) {
            caughtUp = true;
            for (const StrokeChange& c : *changes) {
                const auto at = extents_.begin() + static_cast<std::ptrdiff_t>(std::min(c.index, extents_.size()));
                if (c.kind == StrokeChange::Kind::removed) {
                    if (at == extents_.end()) {
                        caughtUp = false;
                        break;
                    }
                    extents_.erase(at);
                } else {
                    // Filled in below, once every change is in place.
                    extents_.insert(at, QRectF(0, 0, -1, -1));
                }
            }
        }
    }
    if (caughtUp && extents_.size() == list.size()) {
        for (std::size_t i = 0; i < extents_.size(); ++i)
            if (extents_[i].width() < 0) extents_[i] = hitExtent(list[i]);
    } else {
        extents_.clear();
        extents_.reserve(list.size());
        for (const auto& s : list) extents_.push_back(hitExtent(s));
    }
    revision_ = now;
    return extents_;
}

// Bézier path geometry for the edit overlays.

#include "canvas/overlays/BezierGeometry.h"

#include <cmath>
#include <limits>

namespace bezier_geometry {

namespace {

double distance(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }
QPointF lerp(QPointF a, QPointF b, double t) { return a + (b - a) * t; }

// Samples per piece for the coarse search, then halvings around the best.
constexpr int kCoarseSteps = 64;
constexpr int kRefinements = 30;

} // namespace

QPointF Cubic::at(double t) const {
    const double u = 1 - t;
    return p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) + p3 * (t * t * t);
}

bool isZero(QPointF p) { return p.x() == 0 && p.y() == 0; }

std::vector<QPointF> armsOf(const std::optional<std::vector<QPointF>>& arms, std::size_t count) {
    std::vector<QPointF> out(count);
    if (arms)
        for (std::size_t i = 0; i < count && i < arms->size(); ++i) out[i] = (*arms)[i];
    return out;
}

std::vector<QPointF> anchors(const DrawingStroke& path) {
    return path.customVertices ? *path.customVertices : path.points.get();
}

bool isClosed(const std::vector<QPointF>& a) { return a.size() >= 3 && samePoint(a.front(), a.back()); }

void setAnchors(DrawingStroke& path, std::vector<QPointF> a, std::vector<QPointF> in, std::vector<QPointF> out) {
    in.resize(a.size());
    out.resize(a.size());
    path.points = a;
    if (!a.empty()) {
        path.startPoint = a.front();
        path.endPoint = a.back();
    }
    path.customVertices = std::move(a);
    path.bezierHandleIn = std::move(in);
    path.bezierHandleOut = std::move(out);
}

Cubic segment(const DrawingStroke& path, std::size_t i) {
    const std::vector<QPointF> a = anchors(path);
    const std::vector<QPointF> in = armsOf(path.bezierHandleIn, a.size());
    const std::vector<QPointF> out = armsOf(path.bezierHandleOut, a.size());
    return Cubic{a[i], a[i] + out[i], a[i + 1] + in[i + 1], a[i + 1]};
}

std::pair<Cubic, Cubic> split(const Cubic& c, double t) {
    const QPointF p01 = lerp(c.p0, c.p1, t), p12 = lerp(c.p1, c.p2, t), p23 = lerp(c.p2, c.p3, t);
    const QPointF p012 = lerp(p01, p12, t), p123 = lerp(p12, p23, t);
    const QPointF mid = lerp(p012, p123, t);
    return {Cubic{c.p0, p01, p012, mid}, Cubic{mid, p123, p23, c.p3}};
}

std::optional<PathPoint> nearestOnPath(const DrawingStroke& path, QPointF point) {
    const std::size_t n = anchors(path).size();
    if (n < 2) return std::nullopt;
    PathPoint best{0, 0, std::numeric_limits<double>::infinity()};
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const Cubic c = segment(path, i);
        double bestT = 0, bestD = std::numeric_limits<double>::infinity();
        for (int k = 0; k <= kCoarseSteps; ++k) {
            const double t = double(k) / kCoarseSteps;
            const double d = distance(c.at(t), point);
            if (d < bestD) bestD = d, bestT = t;
        }
        // Narrow down around the best sample.
        double step = 1.0 / kCoarseSteps;
        for (int r = 0; r < kRefinements; ++r) {
            step /= 2;
            for (double t : {bestT - step, bestT + step}) {
                if (t < 0 || t > 1) continue;
                const double d = distance(c.at(t), point);
                if (d < bestD) bestD = d, bestT = t;
            }
        }
        if (bestD < best.distance) best = PathPoint{i, bestT, bestD};
    }
    return best;
}

DrawingStroke withVertexInserted(const DrawingStroke& path, const PathPoint& at) {
    std::vector<QPointF> a = anchors(path);
    if (at.segment + 1 >= a.size()) return path;
    std::vector<QPointF> in = armsOf(path.bezierHandleIn, a.size());
    std::vector<QPointF> out = armsOf(path.bezierHandleOut, a.size());
    const auto [left, right] = split(segment(path, at.segment), at.t);
    const std::size_t i = at.segment;
    out[i] = left.p1 - left.p0;
    in[i + 1] = right.p2 - right.p3;
    const auto pos = static_cast<std::ptrdiff_t>(i + 1);
    a.insert(a.begin() + pos, left.p3);
    in.insert(in.begin() + pos, left.p2 - left.p3);
    out.insert(out.begin() + pos, right.p1 - right.p0);
    DrawingStroke result = path;
    setAnchors(result, std::move(a), std::move(in), std::move(out));
    return result;
}

std::pair<QPointF, QPointF> smoothArms(const std::vector<QPointF>& v, std::size_t i, bool wraps) {
    const std::size_t n = v.size();
    if (n < 2 || i >= n) return {};
    QPointF prev = v[i], next = v[i];
    if (wraps) {
        prev = v[(i + n - 1) % n];
        next = v[(i + 1) % n];
    } else {
        if (i > 0) prev = v[i - 1];
        if (i + 1 < n) next = v[i + 1];
    }
    const QPointF quarter = (next - prev) / 4;
    return {-quarter, quarter};
}

std::vector<QPointF> vertexAndArmHandles(const std::vector<QPointF>& v, const std::vector<QPointF>& in,
                                         const std::vector<QPointF>& out, std::vector<HandleRef>& refs) {
    std::vector<QPointF> points;
    refs.clear();
    for (std::size_t i = 0; i < v.size(); ++i) {
        points.push_back(v[i]);
        refs.push_back({HandleRef::vertex, i});
    }
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i < in.size() && !isZero(in[i])) {
            points.push_back(v[i] + in[i]);
            refs.push_back({HandleRef::armIn, i});
        }
        if (i < out.size() && !isZero(out[i])) {
            points.push_back(v[i] + out[i]);
            refs.push_back({HandleRef::armOut, i});
        }
    }
    return points;
}

void dragHandle(std::vector<QPointF>& v, std::vector<QPointF>& in, std::vector<QPointF>& out, const HandleRef& ref,
                QPointF to) {
    const std::size_t i = ref.index;
    if (i >= v.size()) return;
    in.resize(v.size());
    out.resize(v.size());
    switch (ref.kind) {
    case HandleRef::vertex: v[i] = to; break;
    case HandleRef::armIn:
        in[i] = to - v[i];
        if (!isZero(out[i])) out[i] = -in[i];
        break;
    case HandleRef::armOut:
        out[i] = to - v[i];
        if (!isZero(in[i])) in[i] = -out[i];
        break;
    }
}

ArmedVertices ArmedVertices::of(const DrawingStroke& stroke, std::vector<QPointF> vertices) {
    ArmedVertices a;
    a.in = armsOf(stroke.bezierHandleIn, vertices.size());
    a.out = armsOf(stroke.bezierHandleOut, vertices.size());
    a.vertices = std::move(vertices);
    return a;
}

std::vector<QPointF> ArmedVertices::handles() const {
    std::vector<HandleRef> refs;
    return vertexAndArmHandles(vertices, in, out, refs);
}

std::vector<std::pair<QPointF, QPointF>> ArmedVertices::armLines() const {
    std::vector<std::pair<QPointF, QPointF>> lines;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        if (!isZero(in[i])) lines.emplace_back(vertices[i], vertices[i] + in[i]);
        if (!isZero(out[i])) lines.emplace_back(vertices[i], vertices[i] + out[i]);
    }
    return lines;
}

std::optional<HandleRef> ArmedVertices::drag(std::size_t handle, QPointF to) {
    std::vector<HandleRef> refs;
    vertexAndArmHandles(vertices, in, out, refs);
    if (handle >= refs.size()) return std::nullopt;
    dragHandle(vertices, in, out, refs[handle], to);
    return refs[handle];
}

} // namespace bezier_geometry

#include "model/Algorithms.h"

#include "geometry/AirbrushGeometry.h"
#include "model/DrawingStroke.h"
#include "model/DrawingTool.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Plain square root: hypot's overflow care costs several times more, and
// canvas coordinates are nowhere near overflowing.
double length(QPointF v) { return std::sqrt(v.x() * v.x() + v.y() * v.y()); }
double distance(QPointF a, QPointF b) { return length(b - a); }

// Puts `moving` on the ray from `fixed` through it, `len` away from `fixed`.
// A coincident pair has no direction and stays as it is.
void placeAtLength(QPointF& moving, QPointF fixed, double len) {
    const QPointF d = moving - fixed;
    const double dist = length(d);
    if (dist > 1e-9) moving = fixed + d * (len / dist);
}

void forwardPass(std::vector<QPointF>& p, const std::vector<double>& len) {
    for (std::size_t i = 1; i < p.size(); ++i) placeAtLength(p[i], p[i - 1], len[i - 1]);
}

struct Weights {
    double w0, w1, w2, w3;
};

// Samples a uniform cubic given by its basis weights at t = k/s, k = 0 … s−1
// per segment, plus t = 1 on the last. The weights depend on k only, so they
// are computed once.
template <typename Basis>
std::vector<QPointF> sampleCubic(const std::vector<QPointF>& pts, int samples, Basis basis) {
    const std::size_t n = pts.size();
    if (n < 2 || samples < 1) return pts;
    std::vector<Weights> w(static_cast<std::size_t>(samples) + 1);
    for (int k = 0; k <= samples; ++k) w[static_cast<std::size_t>(k)] = basis(static_cast<double>(k) / samples);
    std::vector<QPointF> out;
    out.reserve((n - 1) * static_cast<std::size_t>(samples) + 1);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const QPointF p0 = pts[i == 0 ? 0 : i - 1];
        const QPointF p1 = pts[i];
        const QPointF p2 = pts[i + 1];
        const QPointF p3 = pts[std::min(i + 2, n - 1)];
        const std::size_t last =
            (i + 2 == n) ? static_cast<std::size_t>(samples) : static_cast<std::size_t>(samples) - 1;
        for (std::size_t k = 0; k <= last; ++k) {
            const Weights& b = w[k];
            out.emplace_back(b.w0 * p0.x() + b.w1 * p1.x() + b.w2 * p2.x() + b.w3 * p3.x(),
                             b.w0 * p0.y() + b.w1 * p1.y() + b.w2 * p2.y() + b.w3 * p3.y());
        }
    }
    return out;
}

} // namespace

double distanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF v = b - a;
    const double len2 = v.x() * v.x() + v.y() * v.y();
    if (len2 == 0) return distance(p, a);
    double t = QPointF::dotProduct(p - a, v) / len2;
    // Written so that a NaN projection counts as the far end.
    if (!(t < 1)) t = 1;
    else if (t < 0) t = 0;
    return distance(p, a + v * t);
}

std::vector<QPointF> regularPolygonVertices(int sides, const QRectF& rect, double startAngle) {
    if (sides <= 0) return {};
    const QPointF c = rect.center();
    const double rx = rect.width() / 2, ry = rect.height() / 2;
    std::vector<QPointF> v;
    v.reserve(static_cast<std::size_t>(sides));
    for (int i = 0; i < sides; ++i) {
        const double th = i * 2 * std::numbers::pi / sides + startAngle;
        v.emplace_back(c.x() + rx * std::cos(th), c.y() + ry * std::sin(th));
    }
    return v;
}

std::vector<QPointF> starVertices(int points, const QRectF& rect, double innerRatio, double startAngle) {
    if (points <= 0) return {};
    const QPointF c = rect.center();
    const double rx = rect.width() / 2, ry = rect.height() / 2;
    std::vector<QPointF> v;
    v.reserve(2 * static_cast<std::size_t>(points));
    for (int i = 0; i < 2 * points; ++i) {
        const double th = i * std::numbers::pi / points + startAngle;
        const double f = (i % 2 == 0) ? 1.0 : innerRatio;
        v.emplace_back(c.x() + rx * f * std::cos(th), c.y() + ry * f * std::sin(th));
    }
    return v;
}

std::optional<std::vector<QPointF>> shapeVertices(DrawingTool tool, const QRectF& rect) {
    constexpr double up = -std::numbers::pi / 2;
    switch (tool) {
    case DrawingTool::triangle: return regularPolygonVertices(3, rect, up);
    case DrawingTool::diamond: return regularPolygonVertices(4, rect, up);
    case DrawingTool::pentagon: return regularPolygonVertices(5, rect, up);
    case DrawingTool::hexagon: return regularPolygonVertices(6, rect, 0);
    // Rotated by half a side so that the top edge is flat.
    case DrawingTool::octagon: return regularPolygonVertices(8, rect, -5 * std::numbers::pi / 8);
    case DrawingTool::seal: return starVertices(8, rect, 0.55, up);
    case DrawingTool::star: return starVertices(5, rect, 0.382, up);
    default: return std::nullopt;
    }
}

std::vector<QPointF> polygonVertices(const DrawingStroke& stroke) {
    if (stroke.customVertices) return *stroke.customVertices;
    return shapeVertices(stroke.tool, frameRect(stroke.startPoint, stroke.endPoint)).value_or(std::vector<QPointF>{});
}

bool isNearPolygonEdge(QPointF p, const std::vector<QPointF>& vertices, double tolerance) {
    const std::size_t n = vertices.size();
    if (n < 2) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (distanceToSegment(p, vertices[i], vertices[(i + 1) % n]) < tolerance) return true;
    }
    return false;
}

std::vector<QPointF> chaikinSmooth(const std::vector<QPointF>& points, int iterations) {
    if (iterations <= 0 || points.empty()) return points;
    std::vector<QPointF> cur = points;
    std::vector<QPointF> next;
    for (int it = 0; it < iterations; ++it) {
        const std::size_t n = cur.size();
        next.clear();
        next.reserve(2 * n);
        next.push_back(cur.front());
        for (std::size_t i = 0; i + 1 < n; ++i) {
            next.push_back(cur[i] * 0.75 + cur[i + 1] * 0.25);
            next.push_back(cur[i] * 0.25 + cur[i + 1] * 0.75);
        }
        next.push_back(cur.back());
        cur.swap(next);
    }
    return cur;
}

const std::vector<QPointF>& GrowingChaikinSmooth::update(const std::vector<QPointF>& points) {
    const std::size_t n = points.size();
    const bool grown = inputs_ >= 2 && n >= inputs_ && points.front() == first_ && points[inputs_ - 1] == last_;
    if (grown && n == inputs_) return out_;
    if (!grown) {
        out_ = chaikinSmooth(points, 2);
    } else {
        // With k inputs, the first 4k − 3 outputs depend only on them. The
        // rest is what two iterations over the inputs from k − 2 on give
        // from their sixth output on.
        const std::size_t k = inputs_;
        const std::vector<QPointF> window(points.begin() + static_cast<std::ptrdiff_t>(k - 2), points.end());
        const std::vector<QPointF> end = chaikinSmooth(window, 2);
        out_.resize(4 * k - 3);
        out_.insert(out_.end(), end.begin() + 5, end.end());
    }
    inputs_ = n;
    if (n > 0) {
        first_ = points.front();
        last_ = points.back();
    }
    return out_;
}

std::vector<QPointF> bSplineSmooth(const std::vector<QPointF>& points, int samplesPerSegment) {
    return sampleCubic(points, samplesPerSegment, [](double t) {
        const double t2 = t * t, t3 = t2 * t;
        const double u = 1 - t;
        return Weights{u * u * u / 6, (3 * t3 - 6 * t2 + 4) / 6, (-3 * t3 + 3 * t2 + 3 * t + 1) / 6, t3 / 6};
    });
}

std::vector<QPointF> catmullRomSmooth(const std::vector<QPointF>& points, int samplesPerSegment) {
    // 0.5·(2·P1 + (P2 − P0)·t + (2·P0 − 5·P1 + 4·P2 − P3)·t² + (−P0 + 3·P1 − 3·P2 + P3)·t³),
    // gathered per control point.
    return sampleCubic(points, samplesPerSegment, [](double t) {
        const double t2 = t * t, t3 = t2 * t;
        return Weights{0.5 * (-t + 2 * t2 - t3), 0.5 * (2 - 5 * t2 + 3 * t3), 0.5 * (t + 4 * t2 - 3 * t3),
                       0.5 * (-t2 + t3)};
    });
}

std::vector<QPointF> dragStrokeEnd(const std::vector<QPointF>& points, bool draggingStart, QPointF target) {
    const std::size_t n = points.size();
    if (n < 2) return points;

    std::vector<double> len(n - 1);
    double total = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double d = distance(points[i], points[i + 1]);
        total += d;
        len[i] = std::max(d, 1e-9);
    }
    if (!(total > 1e-9)) return points;

    // Work with the dragged end last and the anchor first.
    std::vector<QPointF> p = points;
    if (draggingStart) {
        std::reverse(p.begin(), p.end());
        std::reverse(len.begin(), len.end());
    }
    const QPointF anchor = p.front();
    const auto finish = [&](std::vector<QPointF> r) {
        if (draggingStart) std::reverse(r.begin(), r.end());
        return r;
    };

    if (distance(target, anchor) >= total) {
        // Out of reach: a straight chain towards the target, spaced like the links.
        std::vector<QPointF> r;
        r.reserve(n);
        r.push_back(anchor);
        double run = 0;
        for (std::size_t i = 1; i < n; ++i) {
            run += len[i - 1];
            r.push_back(anchor + (target - anchor) * (run / total));
        }
        return finish(std::move(r));
    }

    for (int pass = 0; pass < 15; ++pass) {
        p.back() = target;
        for (std::size_t i = n - 1; i-- > 0;) placeAtLength(p[i], p[i + 1], len[i]);
        p.front() = anchor;
        forwardPass(p, len);
        if (distance(p.back(), target) < 0.5) break;
    }

    std::vector<QPointF> before;
    for (int pass = 0; pass < 4; ++pass) {
        if (n > 2) {
            before = p;
            for (std::size_t i = 1; i + 1 < n; ++i) {
                const QPointF mid = (before[i - 1] + before[i + 1]) / 2;
                p[i] = before[i] + (mid - before[i]) * 0.35;
            }
        }
        p.front() = anchor;
        forwardPass(p, len);
    }
    return finish(std::move(p));
}

QPainterPath blobPath(std::int64_t seed, QPointF center, double radius) {
    // The airbrush's speckles are these blobs, so the outline lives with its
    // geometry.
    return blobOutline(seed, center, radius);
}

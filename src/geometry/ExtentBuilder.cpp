#include "geometry/ExtentBuilder.h"

#include "geometry/Points.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

bool isZero(QPointF v) { return v.x() == 0 && v.y() == 0; }

// Roots in (0, 1) of a·t² + b·t + c.
void addUnitRoots(double a, double b, double c, std::vector<double>& out) {
    constexpr double eps = 1e-12;
    if (std::abs(a) < eps) {
        if (std::abs(b) > eps) out.push_back(-c / b);
    } else {
        const double disc = b * b - 4 * a * c;
        if (disc >= 0) {
            const double r = std::sqrt(disc);
            out.push_back((-b + r) / (2 * a));
            out.push_back((-b - r) / (2 * a));
        }
    }
}

} // namespace

QPointF firstDirection(std::initializer_list<QPointF> candidates) {
    for (QPointF d : candidates)
        if (!isZero(d)) return d;
    return QPointF();
}

void ExtentBuilder::add(QPointF p, double reach) {
    reach = std::abs(reach);
    const double x0 = p.x() - reach, x1 = p.x() + reach, y0 = p.y() - reach, y1 = p.y() + reach;
    if (empty_) {
        minX_ = x0, maxX_ = x1, minY_ = y0, maxY_ = y1;
        empty_ = false;
        return;
    }
    minX_ = std::min(minX_, x0);
    maxX_ = std::max(maxX_, x1);
    minY_ = std::min(minY_, y0);
    maxY_ = std::max(maxY_, y1);
}

void ExtentBuilder::add(const QRectF& r) {
    const QRectF n = r.normalized();
    add(n.topLeft());
    add(n.bottomRight());
}

void ExtentBuilder::addCap(QPointF end, QPointF direction, double width) {
    const double len = std::hypot(direction.x(), direction.y());
    if (len == 0) {
        add(end, width / 2 * std::numbers::sqrt2);
        return;
    }
    // A square cap's far corners lie at end + w/2·(±t ± n): on either axis
    // that is w/2·(|t.x| + |t.y|) away.
    add(end, width / 2 * (std::abs(direction.x()) + std::abs(direction.y())) / len);
}

void ExtentBuilder::addSegment(QPointF a, QPointF b, double width) {
    const QPointF d = b - a;
    const double len = std::hypot(d.x(), d.y());
    if (len == 0) {
        add(a, width / 2);
        return;
    }
    const QPointF n = QPointF(-d.y(), d.x()) / len * (width / 2);
    add(a + n);
    add(a - n);
    add(b + n);
    add(b - n);
}

void ExtentBuilder::addJoin(QPointF vertex, QPointF in, QPointF out, double width) {
    const double lin = std::hypot(in.x(), in.y()), lout = std::hypot(out.x(), out.y());
    if (lin == 0 || lout == 0) return;
    const QPointF u = in / lin, v = out / lout;
    const double cosTurn = QPointF::dotProduct(u, v);
    if (1 + cosTurn <= 1e-12) return; // the path doubles back: bevelled
    // Miter length over width is sqrt(2 / (1 + u·v)); the tip lies half of
    // that length out along the normals' bisector.
    const double ratio = std::sqrt(2 / (1 + cosTurn));
    if (ratio > kMiterLimit) return;
    const QPointF bisector = QPointF(-u.y() - v.y(), u.x() + v.x());
    const double bl = std::hypot(bisector.x(), bisector.y());
    if (bl == 0) return;
    const QPointF tip = bisector / bl * (width / 2 * ratio);
    // Which side is outside depends on the turn; both tips lie in or on the
    // stroke's outline.
    add(vertex + tip);
    add(vertex - tip);
}

void ExtentBuilder::addStrokedPath(const std::vector<QPointF>& v, double width, bool closed,
                                   const std::vector<QPointF>* armsIn, const std::vector<QPointF>* armsOut) {
    const std::size_t n = v.size();
    if (n == 0) return;
    const double half = width / 2;
    if (n == 1) {
        addCap(v[0], QPointF(), width);
        return;
    }
    struct Edge {
        QPointF startTangent, endTangent;
    };
    const std::size_t edgeCount = closed ? n : n - 1;
    std::vector<Edge> edges(edgeCount);
    for (std::size_t i = 0; i < edgeCount; ++i) {
        const std::size_t j = (i + 1) % n;
        const QPointF p0 = v[i], p3 = v[j];
        const QPointF c1 = p0 + armAt(armsOut, i), c2 = p3 + armAt(armsIn, j);
        if (samePoint(c1, p0) && samePoint(c2, p3)) {
            addSegment(p0, p3, width);
            edges[i] = {p3 - p0, p3 - p0};
        } else {
            add(cubicBounds(p0, c1, c2, p3).adjusted(-half, -half, half, half));
            edges[i] = {firstDirection({c1 - p0, c2 - p0, p3 - p0}), firstDirection({p3 - c2, p3 - c1, p3 - p0})};
        }
    }
    for (std::size_t i = closed ? 0 : 1; i < (closed ? n : n - 1); ++i) {
        const Edge& incoming = edges[(i + edgeCount - 1) % edgeCount];
        addJoin(v[i], incoming.endTangent, edges[i].startTangent, width);
    }
    if (!closed) {
        addCap(v.front(), -edges.front().startTangent, width);
        addCap(v.back(), edges.back().endTangent, width);
    }
}

QRectF quadraticBounds(QPointF s, QPointF c, QPointF e) {
    ExtentBuilder b;
    b.add(s);
    b.add(e);
    const auto axis = [](double s0, double c0, double e0) {
        const double denom = s0 - 2 * c0 + e0;
        return denom == 0 ? -1.0 : (s0 - c0) / denom;
    };
    for (double t : {axis(s.x(), c.x(), e.x()), axis(s.y(), c.y(), e.y())}) {
        if (t > 0 && t < 1) {
            const double u = 1 - t;
            b.add(s * (u * u) + c * (2 * u * t) + e * (t * t));
        }
    }
    return b.rect();
}

QRectF cubicBounds(QPointF p0, QPointF c1, QPointF c2, QPointF p3) {
    ExtentBuilder b;
    b.add(p0);
    b.add(p3);
    std::vector<double> ts;
    const auto axis = [&ts](double a0, double a1, double a2, double a3) {
        // Derivative / 3: (−a0 + 3a1 − 3a2 + a3)t² + 2(a0 − 2a1 + a2)t + (a1 − a0).
        addUnitRoots(-a0 + 3 * a1 - 3 * a2 + a3, 2 * (a0 - 2 * a1 + a2), a1 - a0, ts);
    };
    axis(p0.x(), c1.x(), c2.x(), p3.x());
    axis(p0.y(), c1.y(), c2.y(), p3.y());
    for (double t : ts) {
        if (!(t > 0 && t < 1)) continue;
        const double u = 1 - t;
        b.add(p0 * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + p3 * (t * t * t));
    }
    return b.rect();
}

#include "geometry/FreehandGeometry.h"

#include "geometry/Points.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

// Point lists reused from call to call: a repaint draws hundreds of
// strokes, and their outlines would otherwise be allocated afresh each time.
enum PointSlot { kDistinctPoints, kRibbonLeft, kRibbonRight, kPointSlots };

std::vector<QPointF>& scratchPoints(PointSlot slot) {
    thread_local std::array<std::vector<QPointF>, kPointSlots> lists;
    std::vector<QPointF>& points = lists[slot];
    points.clear();
    return points;
}

double length(QPointF v) { return std::hypot(v.x(), v.y()); }
double cross(QPointF a, QPointF b) { return a.x() * b.y() - a.y() * b.x(); }

// Consecutive duplicates dropped: a collected path starts with its first
// point twice, and a zero-length step has no direction.
std::vector<QPointF>& distinctPoints(const std::vector<QPointF>& points) {
    std::vector<QPointF>& out = scratchPoints(kDistinctPoints);
    for (QPointF p : points)
        if (out.empty() || !samePoint(out.back(), p)) out.push_back(p);
    return out;
}

// Filled pieces of one outline are all added with the same orientation
// (negative area in canvas coordinates), so the winding fill paints their
// union: overlaps neither cancel nor, for translucent colours, darken.
void addQuad(QPainterPath& path, QPointF a, QPointF b, QPointF c, QPointF d) {
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.lineTo(d);
    path.closeSubpath();
}

void addCircle(QPainterPath& path, QPointF c, double r) {
    // Four cubic quarter arcs, in the same turning sense as the quads.
    constexpr double k = 0.5522847498307936; // 4/3·(√2 − 1)
    const double kr = k * r;
    path.moveTo(c.x() + r, c.y());
    path.cubicTo(c.x() + r, c.y() - kr, c.x() + kr, c.y() - r, c.x(), c.y() - r);
    path.cubicTo(c.x() - kr, c.y() - r, c.x() - r, c.y() - kr, c.x() - r, c.y());
    path.cubicTo(c.x() - r, c.y() + kr, c.x() - kr, c.y() + r, c.x(), c.y() + r);
    path.cubicTo(c.x() + kr, c.y() + r, c.x() + r, c.y() + kr, c.x() + r, c.y());
    path.closeSubpath();
}

// Quads that follow one another along a path sharing their rungs (the
// edge across the path at a sample), merged into one outline: its left side
// forward, its right side back. The merged outline winds exactly as the
// quads together would, but leaves out the rungs between them, which would
// otherwise be rasterised once per quad.
class Ribbon {
public:
    explicit Ribbon(QPainterPath& path)
        : path_(path), left_(scratchPoints(kRibbonLeft)), right_(scratchPoints(kRibbonRight)) {}
    ~Ribbon() { flush(); }
    Ribbon(const Ribbon&) = delete;
    Ribbon& operator=(const Ribbon&) = delete;

    bool isOpen() const { return !left_.empty(); }

    // Adds the rung from `left` to `right`; the first one starts the outline.
    void add(QPointF left, QPointF right) {
        left_.push_back(left);
        right_.push_back(right);
    }

    // Closes the outline into the path; the next rung starts a new one.
    void flush() {
        if (left_.size() >= 2) {
            path_.moveTo(left_.front());
            for (std::size_t i = 1; i < left_.size(); ++i) path_.lineTo(left_[i]);
            for (std::size_t i = right_.size(); i-- > 0;) path_.lineTo(right_[i]);
            path_.closeSubpath();
        }
        left_.clear();
        right_.clear();
    }

private:
    QPainterPath& path_;
    std::vector<QPointF>& left_;
    std::vector<QPointF>& right_;
};

// Whether a, b, c, d make a strictly convex quad turning the common way.
bool isConvexQuad(QPointF a, QPointF b, QPointF c, QPointF d) {
    return cross(b - a, c - b) < 0 && cross(c - b, d - c) < 0 && cross(d - c, a - d) < 0 && cross(a - d, b - a) < 0;
}

// ---- Calligraphy ----

constexpr double kNibMinimumFactor = 0.08;
const QPointF kNibDirection(std::numbers::sqrt2 / 2, -std::numbers::sqrt2 / 2); // −45°

// The half-nib offset for travel along the unit direction u: the nib itself,
// thickened across u to at least the minimum factor, and turned so that the
// segment's parallelogram has the common orientation.
QPointF nibOffset(QPointF u, double half) {
    const double s = cross(u, kNibDirection); // the nib's reach across u, per unit half-length
    QPointF o = kNibDirection * half;
    if (std::abs(s) < kNibMinimumFactor) {
        const QPointF normal(-u.y(), u.x());
        o += normal * ((s < 0 ? -1.0 : 1.0) * half * (kNibMinimumFactor - std::abs(s)));
    }
    return s < 0 ? -o : o;
}

// ---- Brush pen ----

constexpr double kWidthKeep = 0.72;     // share of the previous sample's width
constexpr double kWidthTake = 0.28;     // share of the new sample's speed width
constexpr double kSpeedSoftness = 0.35; // how fast speed thins the line
constexpr double kThinnestSpeedFactor = 0.3;
constexpr double kTaperWidths = 2.0;       // each end tapers over this many widths
constexpr double kTaperTipFactor = 0.2;    // width at the very ends
constexpr double kSharpTurnCosine = 0.866; // turns beyond 30° get a round joint

// Width factor of a sample that moved `step` since the previous one: pointer
// events come at a steady rate, so the step is the speed.
double speedFactor(double step, double width) {
    const double f = 1 / (1 + kSpeedSoftness * step / std::max(width, 1.0));
    return std::max(f, kThinnestSpeedFactor);
}

} // namespace

// ---- Pen ----

void addSmoothPathPieces(const std::vector<QPointF>& p, std::size_t from, std::size_t to, QPainterPath& path) {
    const std::size_t n = p.size();
    if (n < 2 || from < 1 || from > to || to > n - 1) return;
    path.moveTo(from == 1 ? p[0] : (p[from - 1] + p[from]) / 2);
    for (std::size_t k = from; k <= to; ++k) {
        if (k + 1 < n) path.quadTo(p[k], (p[k] + p[k + 1]) / 2);
        else path.lineTo(p[n - 1]);
    }
}

QRectF penExtent(const std::vector<QPointF>& points, double width) { return grownBounds(points, width / 2); }

// ---- Calligraphy ----

void addCalligraphyOutline(const std::vector<QPointF>& points, double width, QPainterPath& path) {
    path.setFillRule(Qt::WindingFill);
    const std::vector<QPointF>& p = distinctPoints(points);
    if (p.empty()) return;
    const double half = std::abs(width) / 2;
    if (p.size() == 1) {
        // A touch without travel leaves the nib's own imprint.
        const QPointF o = kNibDirection * half;
        const QPointF t = QPointF(-kNibDirection.y(), kNibDirection.x()) * (half * kNibMinimumFactor);
        addQuad(path, p[0] + o - t, p[0] + o + t, p[0] - o + t, p[0] - o - t);
    } else {
        // Segments whose nib offset is the same share their rungs and form
        // one ribbon; the offset changes where the path crosses the nib's
        // direction (it flips, and the rung stays the same line) and where
        // the thickening applies.
        Ribbon ribbon(path);
        QPointF previous;
        for (std::size_t i = 0; i + 1 < p.size(); ++i) {
            const QPointF d = p[i + 1] - p[i];
            const QPointF o = nibOffset(d / length(d), half);
            if (!ribbon.isOpen() || !samePoint(o, previous)) {
                ribbon.flush();
                // Where the thickening changes the offset, the parallelograms
                // of the two segments no longer share an edge: fill the gap.
                if (i > 0 && !samePoint(o, -previous)) {
                    QPointF a = previous, b = o;
                    if (cross(a, b) > 0) std::swap(a, b);
                    addQuad(path, p[i] + a, p[i] + b, p[i] - a, p[i] - b);
                }
                ribbon.add(p[i] + o, p[i] - o);
            }
            ribbon.add(p[i + 1] + o, p[i + 1] - o);
            previous = o;
        }
    }
}

QRectF calligraphyExtent(const std::vector<QPointF>& points, double width) {
    const double half = std::abs(width) / 2;
    return grownBounds(points, half * (std::numbers::sqrt2 / 2 + kNibMinimumFactor));
}

// ---- Brush pen ----

BrushPenShape brushPenShape(const std::vector<QPointF>& points, double lineWidth) {
    BrushPenShape shape;
    shape.points = distinctPoints(points);
    const std::vector<QPointF>& p = shape.points;
    const std::size_t n = p.size();
    const double width = std::abs(lineWidth);
    shape.width = width;
    shape.taper = kTaperWidths * std::max(width, 1.0);
    if (n < 2) return shape;

    // Widths: the speed of each sample, smoothed; then both ends tapered by
    // their distance along the path.
    std::vector<double>& w = shape.widths;
    w.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double step = length(p[i == 0 ? 1 : i] - p[i == 0 ? 0 : i - 1]);
        const double target = width * speedFactor(step, width);
        w[i] = i == 0 ? target : kWidthKeep * w[i - 1] + kWidthTake * target;
    }
    shape.travelled.resize(n);
    for (std::size_t i = 1; i < n; ++i) shape.travelled[i] = shape.travelled[i - 1] + length(p[i] - p[i - 1]);
    const double total = shape.travelled.back();
    for (std::size_t i = 0; i < n; ++i) {
        const double fromEnd = std::min(shape.travelled[i], total - shape.travelled[i]);
        const double g = std::clamp(fromEnd / shape.taper, 0.0, 1.0);
        w[i] *= kTaperTipFactor + (1 - kTaperTipFactor) * g * (2 - g); // eases into the full width
    }
    return shape;
}

void addBrushPenSegments(const BrushPenShape& shape, std::size_t from, std::size_t to, QPainterPath& path) {
    // Outline: ribbons whose rungs at gentle turns lie along the mean of the
    // two segments' normals (lengthened to keep the width), broken at sharp
    // turns, where a round joint fills the wedge between the two sides. A
    // segment too short for the rungs at its ends (they would cross) is a
    // trapezoid across its own normal with round joints at both ends. The
    // ends are round.
    path.setFillRule(Qt::WindingFill);
    const std::vector<QPointF>& p = shape.points;
    const std::vector<double>& w = shape.widths;
    const std::size_t n = p.size();
    if (n < 2 || from >= to || to > n - 1) return;
    auto direction = [&p](std::size_t i) {
        const QPointF d = p[i + 1] - p[i];
        return d / length(d);
    };
    auto normalOf = [](QPointF u) { return QPointF(-u.y(), u.x()); };
    // Where segment i ends: whether it joins the next smoothly, and its rung.
    auto joint = [&](std::size_t i, QPointF u, QPointF next, QPointF& endRung) {
        const bool smooth = i + 2 < n && QPointF::dotProduct(u, next) >= kSharpTurnCosine;
        endRung = normalOf(u) * (w[i + 1] / 2);
        if (smooth) {
            QPointF mean = normalOf(u) + normalOf(next);
            mean /= length(mean);
            endRung = mean * (w[i + 1] / 2 / QPointF::dotProduct(mean, normalOf(u)));
        }
        return smooth;
    };
    Ribbon ribbon(path);
    QPointF u = direction(from);
    QPointF startRung = normalOf(u) * (w[from] / 2);
    if (from == 0) {
        addCircle(path, p[0], w[0] / 2);
    } else {
        // The rung the previous segment hands on.
        QPointF previousEnd;
        if (joint(from - 1, direction(from - 1), u, previousEnd)) startRung = previousEnd;
    }
    for (std::size_t i = from; i < to; ++i) {
        const QPointF next = i + 2 < n ? direction(i + 1) : QPointF();
        QPointF endRung;
        const bool smoothJoint = joint(i, u, next, endRung);
        if (isConvexQuad(p[i] + startRung, p[i + 1] + endRung, p[i + 1] - endRung, p[i] - startRung)) {
            if (!ribbon.isOpen()) ribbon.add(p[i] + startRung, p[i] - startRung);
            ribbon.add(p[i + 1] + endRung, p[i + 1] - endRung);
        } else {
            ribbon.flush();
            const QPointF a = normalOf(u) * (w[i] / 2), b = normalOf(u) * (w[i + 1] / 2);
            addQuad(path, p[i] + a, p[i + 1] + b, p[i + 1] - b, p[i] - a);
            addCircle(path, p[i], w[i] / 2);
            if (smoothJoint) addCircle(path, p[i + 1], w[i + 1] / 2);
        }
        if (!smoothJoint) {
            ribbon.flush();
            addCircle(path, p[i + 1], w[i + 1] / 2);
        }
        startRung = smoothJoint ? endRung : normalOf(next) * (w[i + 1] / 2);
        u = next;
    }
    ribbon.flush();
}

QRectF brushPenExtent(const std::vector<QPointF>& points, double lineWidth) {
    return grownBounds(points, std::abs(lineWidth) / 2);
}

#include "canvas/StrokePainters.h"

#include "geometry/ExtentBuilder.h"
#include "geometry/LineGeometry.h"
#include "model/Algorithms.h"
#include "model/DrawingStroke.h"
#include "model/StrokeText.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <vector>

namespace {

// ---- Shared helpers ----

class PainterStateGuard {
public:
    explicit PainterStateGuard(QPainter& painter) : painter_(painter) {
        painter_.save();
        painter_.setRenderHint(QPainter::Antialiasing, true);
    }
    ~PainterStateGuard() { painter_.restore(); }
    PainterStateGuard(const PainterStateGuard&) = delete;
    PainterStateGuard& operator=(const PainterStateGuard&) = delete;

private:
    QPainter& painter_;
};

// Paths and point lists reused from call to call: a repaint draws hundreds
// of strokes, and their geometry would otherwise be allocated afresh each
// time. Each painter takes its own slot, so none clears another's.
enum PathSlot { kLinePath, kFillPath, kSpecklePathA, kSpecklePathB, kPathSlots };

QPainterPath& scratchPath(PathSlot slot) {
    thread_local std::array<QPainterPath, kPathSlots> paths;
    QPainterPath& path = paths[slot];
    path.clear();
    path.setFillRule(Qt::WindingFill);
    return path;
}

enum PointSlot { kDistinctPoints, kRibbonLeft, kRibbonRight, kPointSlots };

std::vector<QPointF>& scratchPoints(PointSlot slot) {
    thread_local std::array<std::vector<QPointF>, kPointSlots> lists;
    std::vector<QPointF>& points = lists[slot];
    points.clear();
    return points;
}

const std::vector<QPointF>* armsOf(const std::optional<std::vector<QPointF>>& arms) { return arms ? &*arms : nullptr; }

double length(QPointF v) { return std::hypot(v.x(), v.y()); }
double cross(QPointF a, QPointF b) { return a.x() * b.y() - a.y() * b.x(); }

QPen linePen(const DrawingStroke& stroke, double width, Qt::PenCapStyle cap, Qt::PenJoinStyle join) {
    QPen pen(QBrush(stroke.color.toQColor()), std::max(width, 0.0), Qt::SolidLine, cap, join);
    pen.setMiterLimit(kMiterLimit);
    return pen;
}

void fillDot(QPainter& painter, QPointF center, double diameter, const QColor& color) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    const double r = std::max(diameter, 0.0) / 2;
    painter.drawEllipse(center, r, r);
}

// A path whose every point coincides (QPainterPath drops a line to its own
// current point): Qt strokes nothing for it, so a round cap's dot is filled
// instead.
bool collapsesToPoint(const QPainterPath& path) {
    const QRectF r = path.controlPointRect();
    return r.width() == 0 && r.height() == 0;
}

// Strokes a path, or fills the dot a round-capped pen leaves where the path
// is a single point.
void strokeOrDot(QPainter& painter, const QPainterPath& path, const QPen& pen) {
    if (collapsesToPoint(path)) {
        if (pen.capStyle() == Qt::RoundCap)
            fillDot(painter, path.elementAt(0), pen.widthF(), pen.color());
        return;
    }
    painter.strokePath(path, pen);
}

// moveTo the first point, a quadratic curve through each interior point
// ending at its midpoint with the next, a line to the last point.
void buildSmoothPath(const std::vector<QPointF>& p, QPainterPath& path) { addSmoothPathPieces(p, 1, p.size() - 1, path); }

// Consecutive duplicates dropped: a collected path starts with its first
// point twice, and a zero-length step has no direction.
std::vector<QPointF>& distinctPoints(const std::vector<QPointF>& points) {
    std::vector<QPointF>& out = scratchPoints(kDistinctPoints);
    for (QPointF p : points)
        if (out.empty() || !samePoint(out.back(), p)) out.push_back(p);
    return out;
}

QRectF pointsGrownBy(const std::vector<QPointF>& points, double reach) {
    if (points.empty()) return QRectF();
    return pointsBounds(points).adjusted(-reach, -reach, reach, reach);
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

// ---- Hashing for seeded scatter ----

std::uint64_t mix64(std::uint64_t z) {
    z ^= z >> 33;
    z *= 0xff51afd7ed558ccdULL;
    z ^= z >> 33;
    z *= 0xc4ceb9fe1a85ec53ULL;
    z ^= z >> 33;
    return z;
}

constexpr std::uint64_t kGolden = 0x9e3779b97f4a7c15ULL;

// 0 ≤ u < 1 from the top 53 bits.
double unitOf(std::uint64_t z) { return static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0); }

// A coordinate at 1/8-pixel resolution; non-finite values count as 0.
std::uint64_t quantised(double v) {
    const double q = std::round(v * 8);
    if (!(std::abs(q) < 9.0e18)) return 0;
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(q));
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

constexpr double kWidthKeep = 0.72;            // share of the previous sample's width
constexpr double kWidthTake = 0.28;            // share of the new sample's speed width
constexpr double kSpeedSoftness = 0.35;        // how fast speed thins the line
constexpr double kThinnestSpeedFactor = 0.3;
constexpr double kTaperWidths = 2.0;           // each end tapers over this many widths
constexpr double kTaperTipFactor = 0.2;        // width at the very ends
constexpr double kSharpTurnCosine = 0.866;     // turns beyond 30° get a round joint

// Width factor of a sample that moved `step` since the previous one: pointer
// events come at a steady rate, so the step is the speed.
double speedFactor(double step, double width) {
    const double f = 1 / (1 + kSpeedSoftness * step / std::max(width, 1.0));
    return std::max(f, kThinnestSpeedFactor);
}

// ---- Airbrush ----

constexpr double kSprayCentreAlpha = 0.6;      // the soft body's opacity along the path
constexpr double kSprayDabSpacing = 0.25;      // dabs this many widths apart along the path
constexpr double kSprayMinDabSpacing = 0.5;
constexpr double kSpeckleReach = 0.95;         // speckle centres within this many widths of the path
constexpr double kSpeckleNearest = 0.25;
constexpr double kSpeckleMinRadius = 0.5;
constexpr double kSpeckleMinRadiusFactor = 0.03;
constexpr double kSpeckleMaxRadiusFactor = 0.08;
constexpr double kSpeckleChance = 0.6;
constexpr int kUnitBlobs = 32;
constexpr std::size_t kKeptDabs = 8;
constexpr std::uint64_t kSpecklePlacesPerFill = 4;

double speckleMaxRadius(double width) { return std::max(kSpeckleMinRadius, kSpeckleMaxRadiusFactor * width); }

// A dab of radius r covers pixels whose centres lie within r of it after its
// position is rounded to whole pixels: r + 1 along each axis.
double airbrushReach(double width) {
    return std::max(width + 1, kSpeckleReach * width + kBlobMaxReach * speckleMaxRadius(width));
}

// The bell of a soft dab: 1 at its centre, falling smoothly to 0 at its
// radius.
double dabProfile(double t) { return t < 1 ? (1 - t * t) * (1 - t * t) : 0; }

// The peak opacity of one dab such that dabs `spacing` apart along a path
// build up to about kSprayCentreAlpha on it.
double dabPeakAlpha(double spacing, double radius) {
    double sum = 0;
    const int reach = static_cast<int>(std::ceil(radius / spacing));
    for (int k = -reach; k <= reach; ++k) sum += dabProfile(std::abs(k) * spacing / radius);
    return sum > 0 ? 1 - std::pow(1 - kSprayCentreAlpha, 1 / sum) : kSprayCentreAlpha;
}

// Soft dab images by radius, colour and peak opacity, the most recently
// used first; a repaint draws a few colours and widths over and over.
const QImage& softDab(double radius, const QColor& color, double peak) {
    struct Entry {
        int radiusKey;
        QRgb color;
        int peakKey;
        QImage image;
    };
    thread_local std::vector<Entry> kept;
    const int radiusKey = static_cast<int>(std::lround(radius * 4));
    const int peakKey = static_cast<int>(std::lround(peak * 4096));
    const QRgb rgba = color.rgba();
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept[i].radiusKey == radiusKey && kept[i].color == rgba && kept[i].peakKey == peakKey) {
            std::rotate(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(i),
                        kept.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return kept.front().image;
        }
    }
    const double r = radiusKey / 4.0;
    const int side = 2 * static_cast<int>(std::ceil(r)) + 2;
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    const double c = side / 2.0;
    const double alpha = color.alphaF() * peakKey / 4096.0;
    for (int y = 0; y < side; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < side; ++x) {
            const double a = r > 0 ? alpha * dabProfile(std::hypot(x + 0.5 - c, y + 0.5 - c) / r) : 0;
            row[x] = qRgba(static_cast<int>(std::lround(color.red() * a)), static_cast<int>(std::lround(color.green() * a)),
                           static_cast<int>(std::lround(color.blue() * a)), static_cast<int>(std::lround(255 * a)));
        }
    }
    if (kept.size() >= kKeptDabs) kept.pop_back();
    kept.insert(kept.begin(), Entry{radiusKey, rgba, peakKey, std::move(image)});
    return kept.front().image;
}

// Calls visit(position, index of the segment's first point) at the first
// point and then every `spacing` of path length; zero-length steps add
// nothing.
template <typename Visit>
void walkPath(const std::vector<QPointF>& points, double spacing, Visit&& visit) {
    if (points.empty()) return;
    visit(points[0], std::size_t{0});
    double nextAt = spacing, travelled = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const QPointF a = points[i - 1], d = points[i] - a;
        const double len = length(d);
        if (!(len > 0)) continue;
        while (nextAt <= travelled + len) {
            visit(a + d * ((nextAt - travelled) / len), i - 1);
            nextAt += spacing;
        }
        travelled += len;
    }
}

// Blob outlines of radius 1 about the origin, one per seed, as polygons
// through points of their curves: a speckle is one of them scaled and
// moved. Speckles are a few pixels across, where three points per curve
// are as good as the curve, and filling hundreds of curved outlines per
// stroke would cost more than the rest of the spray.
constexpr int kBlobPointsPerCurve = 3;

using UnitBlob = std::vector<QPointF>;

const std::array<UnitBlob, kUnitBlobs>& unitBlobs() {
    static const std::array<UnitBlob, kUnitBlobs> blobs = [] {
        std::array<UnitBlob, kUnitBlobs> all;
        for (int seed = 0; seed < kUnitBlobs; ++seed) {
            const QPainterPath path = blobPath(seed, QPointF(0, 0), 1);
            UnitBlob& outline = all[seed];
            QPointF current;
            for (int k = 0; k < path.elementCount(); ++k) {
                const QPainterPath::Element& e = path.elementAt(k);
                if (e.isCurveTo() && k + 2 < path.elementCount()) {
                    const QPointF c1 = e, c2 = path.elementAt(k + 1), end = path.elementAt(k + 2);
                    for (int i = 1; i <= kBlobPointsPerCurve; ++i) {
                        const double t = static_cast<double>(i) / kBlobPointsPerCurve, u = 1 - t;
                        outline.push_back(current * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) +
                                          end * (t * t * t));
                    }
                    current = end;
                    k += 2;
                } else {
                    current = e;
                    if (e.isMoveTo()) outline.push_back(current);
                }
            }
        }
        return all;
    }();
    return blobs;
}

void addBlob(QPainterPath& path, int seed, QPointF c, double r) {
    const UnitBlob& blob = unitBlobs()[seed];
    path.moveTo(c + blob[0] * r);
    for (std::size_t i = 1; i < blob.size(); ++i) path.lineTo(c + blob[i] * r);
    path.closeSubpath();
}

} // namespace

// ---- Line work ----

void addSmoothPathPieces(const std::vector<QPointF>& p, std::size_t from, std::size_t to, QPainterPath& path) {
    const std::size_t n = p.size();
    if (n < 2 || from < 1 || from > to || to > n - 1) return;
    path.moveTo(from == 1 ? p[0] : (p[from - 1] + p[from]) / 2);
    for (std::size_t k = from; k <= to; ++k) {
        if (k + 1 < n) path.quadTo(p[k], (p[k] + p[k + 1]) / 2);
        else path.lineTo(p[n - 1]);
    }
}

void strokeRoundPath(const QPainterPath& path, const QColor& color, double width, QPainter& painter) {
    PainterStateGuard guard(painter);
    QPen pen(QBrush(color), std::max(width, 0.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(kMiterLimit);
    strokeOrDot(painter, path, pen);
}

void drawPenStroke(const DrawingStroke& stroke, QPainter& painter) {
    if (stroke.points.size() < 2) return;
    QPainterPath& path = scratchPath(kLinePath);
    buildSmoothPath(stroke.points, path);
    strokeRoundPath(path, stroke.color.toQColor(), stroke.lineWidth, painter);
}

void drawBezierPenStroke(const DrawingStroke& stroke, QPainter& painter) {
    const std::vector<QPointF>& anchors = stroke.customVertices ? *stroke.customVertices : stroke.points.get();
    if (anchors.size() < 2) return;
    PainterStateGuard guard(painter);
    QPainterPath& path = scratchPath(kLinePath);
    addBezierPath(path, anchors, armsOf(stroke.bezierHandleIn), armsOf(stroke.bezierHandleOut));
    strokeOrDot(painter, path, linePen(stroke, stroke.lineWidth, Qt::RoundCap, Qt::RoundJoin));
}

void drawLineStroke(const DrawingStroke& stroke, QPainter& painter) {
    PainterStateGuard guard(painter);
    QPainterPath& path = scratchPath(kLinePath);
    addLinePath(path, stroke.startPoint, stroke.endPoint, stroke.controlPoint);
    strokeOrDot(painter, path, linePen(stroke, stroke.lineWidth, Qt::RoundCap, Qt::SvgMiterJoin));
}

void drawArrowStroke(const DrawingStroke& stroke, QPainter& painter) {
    PainterStateGuard guard(painter);
    QPainterPath& path = scratchPath(kLinePath);
    addArrowPath(path, stroke.startPoint, stroke.endPoint, stroke.controlPoint, stroke.lineWidth);
    strokeOrDot(painter, path, linePen(stroke, stroke.lineWidth, Qt::RoundCap, Qt::SvgMiterJoin));
}

void drawShapeOutline(const DrawingStroke& stroke, ShapePathMaker makePath, QPainter& painter) {
    PainterStateGuard guard(painter);
    const QPainterPath path = makePath(frameRect(stroke.startPoint, stroke.endPoint));
    if (collapsesToPoint(path)) return; // a closed outline has no caps to show
    painter.strokePath(path, linePen(stroke, stroke.lineWidth, Qt::FlatCap, Qt::SvgMiterJoin));
}

void drawPolygonStroke(const DrawingStroke& stroke, QPainter& painter) {
    const std::vector<QPointF> vertices = polygonVertices(stroke);
    if (vertices.empty()) return;
    PainterStateGuard guard(painter);
    QPainterPath& path = scratchPath(kLinePath);
    addPolygonPath(path, vertices, armsOf(stroke.bezierHandleIn), armsOf(stroke.bezierHandleOut));
    if (collapsesToPoint(path)) return;
    painter.strokePath(path, linePen(stroke, stroke.lineWidth, Qt::FlatCap, Qt::SvgMiterJoin));
}

// ---- Freehand fills ----

void drawCalligraphyStroke(const DrawingStroke& stroke, QPainter& painter) {
    const std::vector<QPointF>& p = distinctPoints(stroke.points);
    if (p.empty()) return;
    PainterStateGuard guard(painter);
    const double half = std::abs(stroke.lineWidth) / 2;
    QPainterPath& path = scratchPath(kFillPath);
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
    painter.fillPath(path, stroke.color.toQColor());
}

BrushPenShape brushPenShape(const DrawingStroke& stroke) {
    BrushPenShape shape;
    shape.points = distinctPoints(stroke.points);
    const std::vector<QPointF>& p = shape.points;
    const std::size_t n = p.size();
    const double width = std::abs(stroke.lineWidth);
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

void drawBrushPenStroke(const DrawingStroke& stroke, QPainter& painter) {
    const BrushPenShape shape = brushPenShape(stroke);
    if (shape.points.empty()) return;
    PainterStateGuard guard(painter);
    const QColor color = stroke.color.toQColor();
    if (shape.points.size() == 1) {
        fillDot(painter, shape.points[0], shape.width, color);
        return;
    }
    QPainterPath& path = scratchPath(kFillPath);
    addBrushPenSegments(shape, 0, shape.points.size() - 1, path);
    painter.fillPath(path, color);
}

void drawAirbrushStroke(const DrawingStroke& stroke, QPainter& painter) {
    AirbrushProgress fresh;
    drawAirbrushStrokeFrom(stroke, painter, fresh);
}

QRectF drawAirbrushStrokeFrom(const DrawingStroke& stroke, QPainter& painter, AirbrushProgress& progress) {
    const std::vector<QPointF>& points = stroke.points;
    if (points.empty()) return QRectF();
    PainterStateGuard guard(painter);
    const double width = std::abs(stroke.lineWidth);
    const QColor color = stroke.color.toQColor();
    const double alpha = color.alphaF();
    ExtentBuilder drawn;

    // Soft body: a trail of blurred dabs of the line width's radius at low
    // opacity, close enough to build up a smooth bell across the path.
    if (width > 0) {
        const double spacing = std::max(width * kSprayDabSpacing, kSprayMinDabSpacing);
        const QImage& dab = softDab(width, color, dabPeakAlpha(spacing, width));
        const double half = dab.width() / 2.0;
        std::size_t visit = 0;
        walkPath(points, spacing, [&](QPointF at, std::size_t) {
            if (visit++ < progress.dabs) return;
            // Whole pixels: a soft dab needs no subpixel placement, and the
            // plain copy is the fastest image drawing there is.
            const QPoint corner(static_cast<int>(std::lround(at.x() - half)), static_cast<int>(std::lround(at.y() - half)));
            painter.drawImage(corner, dab);
            drawn.add(QRectF(corner, dab.size()));
        });
        progress.dabs = visit;
    }

    // Speckles: walked along the path at a fixed spacing; each place gets
    // two chances of a blob, seeded by the place's index and by where its
    // segment starts relative to the first point. That keeps a speckle
    // where it is while the stroke grows and when the stroke is moved.
    QPainterPath& faint = scratchPath(kSpecklePathA);
    QPainterPath& strong = scratchPath(kSpecklePathB);
    const double maxRadius = speckleMaxRadius(width);
    const QPointF origin = points[0];
    std::uint64_t place = 0;
    QColor faintColor = color, strongColor = color;
    faintColor.setAlphaF(static_cast<float>(alpha * 0.35));
    strongColor.setAlphaF(static_cast<float>(alpha * 0.6));
    auto flushSpeckles = [&] {
        if (!faint.isEmpty()) painter.fillPath(faint, faintColor);
        if (!strong.isEmpty()) painter.fillPath(strong, strongColor);
        faint.clear();
        strong.clear();
    };
    walkPath(points, std::max(width * 0.5, 2.0), [&](QPointF at, std::size_t segment) {
        if (place >= progress.places) {
            const QPointF from = points[segment] - origin;
            const std::uint64_t segmentSeed =
                mix64(quantised(from.x()) * 0x9e3779b1ULL ^ mix64(quantised(from.y())));
            for (std::uint64_t chance = 0; chance < 2; ++chance) {
                std::uint64_t h = mix64(segmentSeed ^ ((place * 2 + chance + 1) * kGolden));
                auto next = [&h] {
                    h = mix64(h + kGolden);
                    return unitOf(h);
                };
                if (next() >= kSpeckleChance) continue;
                const double distance = width * (kSpeckleNearest + (kSpeckleReach - kSpeckleNearest) * next());
                const double angle = 2 * std::numbers::pi * next();
                const double radius = std::max(
                    kSpeckleMinRadius,
                    width * (kSpeckleMinRadiusFactor + (kSpeckleMaxRadiusFactor - kSpeckleMinRadiusFactor) * next()));
                const bool isStrong = next() < 0.5;
                const int blob = static_cast<int>(h >> 59); // 0…31
                const QPointF centre = at + QPointF(std::cos(angle), std::sin(angle)) * distance;
                const double r = std::min(radius, maxRadius);
                addBlob(isStrong ? strong : faint, blob, centre, r);
                drawn.add(centre, kBlobMaxReach * r + 1);
            }
        }
        // A few places per fill: Qt's rasteriser slows down sharply on one
        // path of many small scattered outlines. Grouping by place keeps
        // the groups the same while the stroke grows.
        if (++place % kSpecklePlacesPerFill == 0) flushSpeckles();
    });
    flushSpeckles();
    progress.places = std::max(progress.places, place);
    return drawn.rect();
}

// ---- Text ----

void drawTextStroke(const DrawingStroke& stroke, QPainter& painter) {
    const TextLayout layout = layoutText(stroke);
    if (layout.lines.empty()) return;
    PainterStateGuard guard(painter);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setPen(stroke.color.toQColor());
    painter.setFont(layout.font);
    // The font is at the measuring size; scaling it lands the glyphs on the
    // measured line rectangles at any fractional size.
    painter.setTransform(layout.transform(), true);
    const QTransform base = painter.transform();
    for (const TextLayout::Line& line : layout.lines) {
        QTransform t = base;
        t.translate(line.rect.left(), line.rect.top() + layout.ascent);
        t.scale(layout.scale, layout.scale);
        painter.setTransform(t);
        painter.drawText(QPointF(0, 0), line.text);
    }
}

// ---- Extents ----

QRectF calligraphyExtent(const DrawingStroke& stroke) {
    const double half = std::abs(stroke.lineWidth) / 2;
    return pointsGrownBy(stroke.points, half * (std::numbers::sqrt2 / 2 + kNibMinimumFactor));
}

QRectF brushPenExtent(const DrawingStroke& stroke) {
    return pointsGrownBy(stroke.points, std::abs(stroke.lineWidth) / 2);
}

QRectF airbrushExtent(const DrawingStroke& stroke) {
    return pointsGrownBy(stroke.points, airbrushReach(std::abs(stroke.lineWidth)));
}

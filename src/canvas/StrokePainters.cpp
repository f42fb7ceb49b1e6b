#include "canvas/StrokePainters.h"

#include "geometry/AirbrushGeometry.h"
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

// Paths reused from call to call: a repaint draws hundreds of strokes, and
// their geometry would otherwise be allocated afresh each time. Each painter
// takes its own slot, so none clears another's.
enum PathSlot { kLinePath, kFillPath, kSpecklePathA, kSpecklePathB, kPathSlots };

QPainterPath& scratchPath(PathSlot slot) {
    thread_local std::array<QPainterPath, kPathSlots> paths;
    QPainterPath& path = paths[slot];
    path.clear();
    path.setFillRule(Qt::WindingFill);
    return path;
}

const std::vector<QPointF>* armsOf(const std::optional<std::vector<QPointF>>& arms) { return arms ? &*arms : nullptr; }

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
        if (pen.capStyle() == Qt::RoundCap) fillDot(painter, path.elementAt(0), pen.widthF(), pen.color());
        return;
    }
    painter.strokePath(path, pen);
}

// ---- Airbrush ----

constexpr std::size_t kKeptDabs = 8;
constexpr std::uint64_t kSpecklePlacesPerFill = 4;
constexpr double kFaintSpeckleAlpha = 0.35;
constexpr double kStrongSpeckleAlpha = 0.6;

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
            row[x] =
                qRgba(static_cast<int>(std::lround(color.red() * a)), static_cast<int>(std::lround(color.green() * a)),
                      static_cast<int>(std::lround(color.blue() * a)), static_cast<int>(std::lround(255 * a)));
        }
    }
    if (kept.size() >= kKeptDabs) kept.pop_back();
    kept.insert(kept.begin(), Entry{radiusKey, rgba, peakKey, std::move(image)});
    return kept.front().image;
}

} // namespace

// ---- Line work ----

void strokeRoundPath(const QPainterPath& path, const QColor& color, double width, QPainter& painter) {
    PainterStateGuard guard(painter);
    QPen pen(QBrush(color), std::max(width, 0.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(kMiterLimit);
    strokeOrDot(painter, path, pen);
}

void drawPenStroke(const DrawingStroke& stroke, QPainter& painter) {
    const std::vector<QPointF>& points = stroke.points;
    if (points.size() < 2) return;
    QPainterPath& path = scratchPath(kLinePath);
    addSmoothPathPieces(points, 1, points.size() - 1, path);
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
    if (stroke.points.empty()) return;
    PainterStateGuard guard(painter);
    QPainterPath& path = scratchPath(kFillPath);
    addCalligraphyOutline(stroke.points, stroke.lineWidth, path);
    painter.fillPath(path, stroke.color.toQColor());
}

void drawBrushPenStroke(const DrawingStroke& stroke, QPainter& painter) {
    const BrushPenShape shape = brushPenShape(stroke.points, stroke.lineWidth);
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
        const double spacing = sprayDabSpacing(width);
        const QImage& dab = softDab(width, color, dabPeakAlpha(spacing, width));
        std::size_t visit = 0;
        walkPath(points, spacing, [&](QPointF at, std::size_t) {
            if (visit++ < progress.dabs) return;
            const QPoint corner = dabCorner(at, dab.width());
            painter.drawImage(corner, dab);
            drawn.add(QRectF(corner, dab.size()));
        });
        progress.dabs = visit;
    }

    // Speckles, in two opacities.
    QPainterPath& faint = scratchPath(kSpecklePathA);
    QPainterPath& strong = scratchPath(kSpecklePathB);
    const QPointF origin = points[0];
    std::uint64_t place = 0;
    QColor faintColor = color, strongColor = color;
    faintColor.setAlphaF(static_cast<float>(alpha * kFaintSpeckleAlpha));
    strongColor.setAlphaF(static_cast<float>(alpha * kStrongSpeckleAlpha));
    auto flushSpeckles = [&] {
        if (!faint.isEmpty()) painter.fillPath(faint, faintColor);
        if (!strong.isEmpty()) painter.fillPath(strong, strongColor);
        faint.clear();
        strong.clear();
    };
    std::array<Speckle, 2> speckles;
    walkPath(points, speckleSpacing(width), [&](QPointF at, std::size_t segment) {
        if (place >= progress.places) {
            const int count = specklesAt(at, points[segment] - origin, place, width, speckles);
            for (int i = 0; i < count; ++i) {
                const Speckle& speckle = speckles[static_cast<std::size_t>(i)];
                addSpeckleOutline(speckle.strong ? strong : faint, speckle);
                drawn.add(speckle.centre, speckleReach(speckle));
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

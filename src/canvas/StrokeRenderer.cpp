#include "canvas/StrokeRenderer.h"

#include "brushes/BrushEngine.h"
#include "canvas/StrokePainters.h"
#include "model/DrawingStroke.h"

#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace {

struct Dab {
    QPointF center;
    double radius;
};

// The dab geometry of an eraser path from where `walk` stopped; identifiers
// are added only where dabs are kept, since a live eraser is drawn on every
// pointer event.
template <typename Sink>
void forEachEraserDab(const DrawingStroke& stroke, EraserDabWalk& walk, Sink&& sink) {
    const auto& points = stroke.points;
    if (points.empty() || walk.nextPoint >= points.size()) return;
    const double r = stroke.lineWidth * 4;
    const double spacing = std::max(r * 0.25, 2.0);
    if (walk.nextPoint == 0) {
        walk.lastDab = points.front();
        sink(Dab{walk.lastDab, r});
        walk.nextPoint = 1;
    }
    for (; walk.nextPoint < points.size(); ++walk.nextPoint) {
        const QPointF q = points[walk.nextPoint];
        if (std::hypot(q.x() - walk.lastDab.x(), q.y() - walk.lastDab.y()) >= spacing) {
            sink(Dab{q, r});
            walk.lastDab = q;
        }
    }
}

template <typename Sink>
void forEachEraserDab(const DrawingStroke& stroke, Sink&& sink) {
    EraserDabWalk walk;
    forEachEraserDab(stroke, walk, std::forward<Sink>(sink));
}

// How much of a dab is removed at distance t × radius from its centre: all
// of it out to 60 % of the radius, then linearly less, nothing at the edge.
double dabStrength(double t) {
    if (t <= 0.6) return 1;
    return t < 1 ? (1 - t) / 0.4 : 0;
}

// Dab images of that profile, white and premultiplied, by radius and by
// where the centre falls within its pixel (eighths of a pixel, for radii
// up to kFractionalRadius; larger dabs are centred on a whole pixel, a
// difference no one could see). A pass or a live eraser draws many dabs of
// one radius; copying an image costs a fraction of shading a gradient.
class DabImages {
public:
    const QImage& image(double radius, int fx, int fy) {
        const int radiusKey = static_cast<int>(std::lround(radius * 8));
        for (std::size_t i = 0; i < kept_.size(); ++i) {
            const Entry& e = kept_[i];
            if (e.radiusKey == radiusKey && e.fx == fx && e.fy == fy) {
                std::rotate(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(i),
                            kept_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
                return kept_.front().image;
            }
        }
        QImage img = render(radiusKey / 8.0, fx / 8.0, fy / 8.0);
        bytes_ += static_cast<std::size_t>(img.sizeInBytes());
        kept_.insert(kept_.begin(), Entry{radiusKey, fx, fy, std::move(img)});
        while (bytes_ > kMaxBytes && kept_.size() > 1) {
            bytes_ -= static_cast<std::size_t>(kept_.back().image.sizeInBytes());
            kept_.pop_back();
        }
        return kept_.front().image;
    }

    // The offset from a dab's centre to its image's top-left pixel corner,
    // less the centre's fraction.
    static int margin(double radius) { return static_cast<int>(std::ceil(radius)) + 1; }

private:
    struct Entry {
        int radiusKey;
        int fx, fy;
        QImage image;
    };
    static constexpr std::size_t kMaxBytes = 16u << 20;

    static QImage render(double r, double fx, double fy) {
        const int m = margin(r);
        const int side = 2 * m + 1;
        QImage img(side, side, QImage::Format_ARGB32_Premultiplied);
        const double cx = m + fx, cy = m + fy;
        for (int y = 0; y < side; ++y) {
            auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < side; ++x) {
                const int a =
                    static_cast<int>(std::lround(255 * dabStrength(std::hypot(x + 0.5 - cx, y + 0.5 - cy) / r)));
                row[x] = qRgba(a, a, a, a);
            }
        }
        return img;
    }

    std::vector<Entry> kept_;
    std::size_t bytes_ = 0;
};

constexpr double kFractionalRadius = 32;

// Draws dabs in the painter's composition mode. Where the painter only moves
// and scales evenly (the canvas, a layer, a high-density screen) the dabs
// are images laid on whole device pixels; otherwise each is an ellipse
// shaded with the radial gradient.
class DabPainter {
public:
    explicit DabPainter(QPainter& painter) : painter_(painter), toDevice_(painter.deviceTransform()) {
        painter_.save();
        painter_.setRenderHint(QPainter::Antialiasing, true);
        painter_.setPen(Qt::NoPen);
        scale_ = toDevice_.m11();
        byImage_ = toDevice_.type() <= QTransform::TxScale && scale_ > 0 && toDevice_.m22() == scale_;
        if (byImage_) {
            // From here on, drawing coordinates are device pixels.
            painter_.setWorldTransform(toDevice_.inverted() * painter_.worldTransform());
        } else {
            gradient_.setColorAt(0.0, QColor(255, 255, 255, 255));
            gradient_.setColorAt(0.6, QColor(255, 255, 255, 255));
            gradient_.setColorAt(1.0, QColor(255, 255, 255, 0));
        }
    }
    ~DabPainter() { painter_.restore(); }
    DabPainter(const DabPainter&) = delete;
    DabPainter& operator=(const DabPainter&) = delete;

    void operator()(const Dab& dab) {
        if (!(dab.radius > 0) || !std::isfinite(dab.radius)) return;
        if (!byImage_) {
            gradient_.setCenter(dab.center);
            gradient_.setFocalPoint(dab.center);
            gradient_.setRadius(dab.radius);
            painter_.setBrush(gradient_);
            painter_.drawEllipse(dab.center, dab.radius, dab.radius);
            return;
        }
        const QPointF c = toDevice_.map(dab.center);
        const double r = dab.radius * scale_;
        if (!std::isfinite(c.x()) || !std::isfinite(c.y())) return;
        // The centre to an eighth of a device pixel (to a whole pixel for
        // large dabs): the image's top-left pixel and the centre's offset
        // within its own pixel.
        const double steps = r <= kFractionalRadius ? 8 : 1;
        const double qx = std::round(c.x() * steps), qy = std::round(c.y() * steps);
        const double x = std::floor(qx / steps), y = std::floor(qy / steps);
        const int fx = static_cast<int>((qx - x * steps) * (8 / steps));
        const int fy = static_cast<int>((qy - y * steps) * (8 / steps));
        thread_local DabImages images;
        const int m = DabImages::margin(static_cast<int>(std::lround(r * 8)) / 8.0);
        painter_.drawImage(QPointF(x - m, y - m), images.image(r, fx, fy));
    }

private:
    QPainter& painter_;
    QTransform toDevice_;
    double scale_ = 1;
    bool byImage_ = false;
    QRadialGradient gradient_;
};

} // namespace

void drawStroke(const DrawingStroke& stroke, QPainter& painter, const std::vector<QImage>& tintedStamps) {
    if (stroke.offset.width() != 0 || stroke.offset.height() != 0)
        painter.translate(stroke.offset.width(), stroke.offset.height());

    if (!tintedStamps.empty()) {
        brushEngine::drawGIMPBrushStroke(stroke, tintedStamps, painter);
        return;
    }

    switch (stroke.tool) {
    case DrawingTool::move: return;
    case DrawingTool::pen: drawPenStroke(stroke, painter); return;
    case DrawingTool::bezierPen: drawBezierPenStroke(stroke, painter); return;
    case DrawingTool::calligraphyBrush: drawCalligraphyStroke(stroke, painter); return;
    case DrawingTool::brushPen:
    case DrawingTool::gimpBrush: drawBrushPenStroke(stroke, painter); return;
    case DrawingTool::watercolorBrush:
        brushEngine::drawTexturedStroke(stroke, brushEngine::kWatercolorKind, painter);
        return;
    case DrawingTool::chalk: brushEngine::drawTexturedStroke(stroke, brushEngine::kChalkKind, painter); return;
    case DrawingTool::airbrush: drawAirbrushStroke(stroke, painter); return;
    case DrawingTool::line: drawLineStroke(stroke, painter); return;
    case DrawingTool::arrow: drawArrowStroke(stroke, painter); return;
    case DrawingTool::rectangle: drawShapeOutline(stroke, rectanglePath, painter); return;
    case DrawingTool::ellipse: drawShapeOutline(stroke, ellipsePath, painter); return;
    case DrawingTool::triangle:
    case DrawingTool::diamond:
    case DrawingTool::pentagon:
    case DrawingTool::hexagon:
    case DrawingTool::octagon:
    case DrawingTool::seal:
    case DrawingTool::star: drawPolygonStroke(stroke, painter); return;
    case DrawingTool::text: drawTextStroke(stroke, painter); return;
    case DrawingTool::eraser: {
        DabPainter dabs(painter);
        forEachEraserDab(stroke, dabs);
        return;
    }
    }
}

std::vector<ErasureStamp> erasureStamps(const DrawingStroke& stroke) {
    std::vector<ErasureStamp> stamps;
    forEachEraserDab(stroke, [&stamps](const Dab& dab) {
        stamps.push_back(ErasureStamp{dab.center, dab.radius, QUuid::createUuid()});
    });
    return stamps;
}

std::vector<ErasureStamp> continueEraserDabs(const DrawingStroke& stroke, EraserDabWalk& walk) {
    std::vector<ErasureStamp> stamps;
    forEachEraserDab(stroke, walk, [&stamps](const Dab& dab) {
        stamps.push_back(ErasureStamp{dab.center, dab.radius, QUuid()});
    });
    return stamps;
}

void drawErasures(const std::vector<ErasureStamp>& stamps, QPainter& painter) {
    if (stamps.empty()) return;
    DabPainter dabs(painter);
    for (const ErasureStamp& s : stamps) dabs(Dab{s.center, s.radius});
}

#include "canvas/StrokeRenderer.h"

#include "brushes/DrawingInstructions.h"
#include "canvas/StrokePainters.h"
#include "model/DrawingStroke.h"

#include <QPainter>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace {

struct Dab {
    QPointF center;
    double radius;
};

// The dab geometry of an eraser path; identifiers are added only where
// dabs are kept, since a live eraser is drawn on every pointer event.
template <typename Sink>
void forEachEraserDab(const DrawingStroke& stroke, Sink&& sink) {
    if (stroke.points.empty()) return;
    const double r = stroke.lineWidth * 4;
    const double spacing = std::max(r * 0.25, 2.0);
    QPointF last = stroke.points.front();
    sink(Dab{last, r});
    for (std::size_t i = 1; i < stroke.points.size(); ++i) {
        const QPointF q = stroke.points[i];
        if (std::hypot(q.x() - last.x(), q.y() - last.y()) >= spacing) {
            sink(Dab{q, r});
            last = q;
        }
    }
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
                const int a = static_cast<int>(
                    std::lround(255 * dabStrength(std::hypot(x + 0.5 - cx, y + 0.5 - cy) / r)));
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
        drawingInstructions::drawGIMPBrushStroke(stroke, tintedStamps, painter);
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
        drawingInstructions::drawTexturedStroke(stroke, drawingInstructions::kWatercolorKind, painter);
        return;
    case DrawingTool::chalk:
        drawingInstructions::drawTexturedStroke(stroke, drawingInstructions::kChalkKind, painter);
        return;
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

namespace {

// The dab's opacity by squared distance from its centre over squared
// radius, in 1/1024 steps: 255 out to 60 % of the radius, then falling
// linearly with the distance.
constexpr int kDabSteps = 1024;

const std::array<std::uint32_t, kDabSteps + 1>& dabOpacity() {
    static const auto table = [] {
        std::array<std::uint32_t, kDabSteps + 1> t{};
        for (int i = 0; i <= kDabSteps; ++i) {
            const double d = std::sqrt((i + 0.5) / kDabSteps);
            const double a = d <= 0.6 ? 1.0 : std::max(0.0, (1 - d) / 0.4);
            t[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(std::lround(a * 255));
        }
        t[kDabSteps] = 0;
        return t;
    }();
    return table;
}

// Every channel of a premultiplied pixel times k/255.
inline QRgb scaled(QRgb p, std::uint32_t k) {
    std::uint32_t rb = (p & 0x00ff00ffu) * k + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu;
    std::uint32_t ag = ((p >> 8) & 0x00ff00ffu) * k + 0x00800080u;
    ag = (ag + ((ag >> 8) & 0x00ff00ffu)) & 0xff00ff00u;
    return rb | ag;
}

} // namespace

bool rasterizeDabs(const std::vector<ErasureStamp>& stamps, const QTransform& toDevice, QImage& image, bool cut) {
    if (toDevice.type() > QTransform::TxScale || toDevice.m11() != toDevice.m22() || !(toDevice.m11() > 0))
        return false;
    if (image.format() != QImage::Format_ARGB32_Premultiplied) return false;
    const auto& opacity = dabOpacity();
    const double scale = toDevice.m11();
    const int w = image.width(), h = image.height();
    for (const ErasureStamp& s : stamps) {
        const double R = s.radius * scale;
        if (!(R > 0) || !std::isfinite(R) || R > 1e6) continue;
        const QPointF c = toDevice.map(s.center);
        if (!std::isfinite(c.x()) || !std::isfinite(c.y())) continue;
        const int y0 = std::max(0, static_cast<int>(std::floor(c.y() - R)));
        const int y1 = std::min(h - 1, static_cast<int>(std::ceil(c.y() + R)));
        const double toStep = kDabSteps / (R * R);
        for (int y = y0; y <= y1; ++y) {
            // Sampled at pixel centres, as a gradient fill is.
            const double dy = y + 0.5 - c.y();
            if (std::abs(dy) >= R) continue;
            const double half = std::sqrt(R * R - dy * dy);
            const int x0 = std::max(0, static_cast<int>(std::floor(c.x() - half)));
            const int x1 = std::min(w - 1, static_cast<int>(std::ceil(c.x() + half)));
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            const double dy2 = dy * dy;
            for (int x = x0; x <= x1; ++x) {
                const double dx = x + 0.5 - c.x();
                const double q = (dx * dx + dy2) * toStep;
                if (q >= kDabSteps) continue;
                const std::uint32_t A = opacity[static_cast<std::size_t>(q)];
                const QRgb p = row[x];
                if (cut) {
                    // Overlapping dabs find most pixels already gone.
                    if (p == 0) continue;
                    row[x] = A == 255 ? 0 : scaled(p, 255 - A);
                } else {
                    row[x] = A * 0x01010101u + scaled(p, 255 - A);
                }
            }
        }
    }
    return true;
}

void drawErasures(const std::vector<ErasureStamp>& stamps, QPainter& painter) {
    if (stamps.empty()) return;
    DabPainter dabs(painter);
    for (const ErasureStamp& s : stamps) dabs(Dab{s.center, s.radius});
}

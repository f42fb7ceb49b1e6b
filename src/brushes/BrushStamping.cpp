// Tinting of cell masks and the stamping of imported-brush strokes.

#include "brushes/BrushEngine.h"
#include "brushes/StampHash.h"
#include "brushes/StampPainting.h"
#include "model/DrawingStroke.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

namespace brushEngine {

namespace {

constexpr double kPi = std::numbers::pi;

// No real stroke comes near this many stamps; it only stops a stroke with
// absurd coordinates from filling memory.
constexpr std::size_t kMaxStamps = std::size_t(1) << 20;

std::uint8_t channelByte(double component, int coverage) {
    const double v = component * coverage;
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return static_cast<std::uint8_t>(std::lround(v));
}

// A stable seed from the stroke's identifier.
std::uint64_t strokeSeed(const QUuid& id) {
    const QByteArray bytes = id.toRfc4122();
    std::uint64_t hi = 0, lo = 0;
    std::memcpy(&hi, bytes.constData(), 8);
    std::memcpy(&lo, bytes.constData() + 8, 8);
    return mix(hi ^ mix(lo));
}

} // namespace

std::optional<QImage> tintedImage(const QImage& mask, double scale, double red, double green, double blue) {
    if (mask.isNull() || !std::isfinite(scale)) return std::nullopt;
    const double w = mask.width() * scale, h = mask.height() * scale;
    if (w >= kMaxTintedSide + 0.5 || h >= kMaxTintedSide + 0.5) return std::nullopt;
    const int W = std::max(1, static_cast<int>(std::lround(w)));
    const int H = std::max(1, static_cast<int>(std::lround(h)));

    QImage source = mask;
    if (W != mask.width() || H != mask.height())
        source = mask.scaled(W, H, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (source.format() != kCellMaskFormat) source = source.convertToFormat(kCellMaskFormat);
    QImage out(W, H, kTintedImageFormat);
    if (source.isNull() || out.isNull() || source.size() != out.size()) return std::nullopt;

    // The colour premultiplied by each possible coverage: one lookup a pixel.
    std::array<std::uint32_t, 256> lut{};
    for (std::uint32_t a = 0; a < 256; ++a) {
        const int c = static_cast<int>(a);
        lut[a] = a << 24 | std::uint32_t(channelByte(red, c)) << 16 | std::uint32_t(channelByte(green, c)) << 8 |
                 std::uint32_t(channelByte(blue, c));
    }
    for (int y = 0; y < H; ++y) {
        const std::uint8_t* s = source.constScanLine(y);
        auto* d = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
        for (int x = 0; x < W; ++x) d[x] = lut[s[4 * x + 3]];
    }
    return out;
}

double colorAlpha(const Color& color) {
    if (std::isnan(color.a)) return 1;
    return std::clamp(color.a, 0.0, 1.0);
}

int pickCell(std::int64_t index, const std::vector<QImage>& cells, const DrawingStroke& stroke, double angle) {
    const auto n = static_cast<std::int64_t>(cells.size());
    if (n == 0) return 0;
    switch (stroke.gimpCellSelection) {
    case GIMPCellSelection::sequential: return static_cast<int>(((index % n) + n) % n);
    case GIMPCellSelection::constant: return 0;
    case GIMPCellSelection::random: {
        // Hashed rather than drawn, so every repaint picks the same cells.
        const std::uint64_t h = mix(strokeSeed(stroke.id) ^ mix(static_cast<std::uint64_t>(index) * kHashK));
        return static_cast<int>(h % static_cast<std::uint64_t>(n));
    }
    case GIMPCellSelection::angular: {
        if (!std::isfinite(angle)) return 0;
        const double v = static_cast<double>(n) * (angle + kPi) / (2 * kPi);
        const auto i = static_cast<std::int64_t>(std::clamp(v, 0.0, static_cast<double>(n)));
        return static_cast<int>(i % n);
    }
    }
    return 0;
}

std::vector<StampPlacement> gimpBrushStamps(const DrawingStroke& stroke, const std::vector<QImage>& cells) {
    const auto& p = stroke.points;
    if (p.empty() || cells.empty()) return {};
    const double D = std::max(cells.front().width(), cells.front().height());
    if (D <= 0) return {};

    std::vector<double> c(p.size(), 0.0);
    for (std::size_t i = 1; i < p.size(); ++i)
        c[i] = c[i - 1] + std::hypot(p[i].x() - p[i - 1].x(), p[i].y() - p[i - 1].y());
    const double total = c.back();

    std::vector<StampPlacement> stamps;
    const double firstAngle = p.size() >= 2 ? std::atan2(p[1].y() - p[0].y(), p[1].x() - p[0].x()) : 0.0;
    stamps.push_back({p[0], pickCell(0, cells, stroke, firstAngle), firstAngle, 1.0});
    if (p.size() == 1) return stamps;

    double step = D * stroke.gimpSpacing / 100;
    if (!(step >= 1.0)) step = 1.0;
    double next = step;
    std::int64_t k = 1;
    for (std::size_t i = 1; i < p.size(); ++i) {
        const double L = c[i] - c[i - 1];
        if (!(L > 0) || !std::isfinite(L)) continue;
        const QPointF a = p[i - 1], d = p[i] - p[i - 1];
        const double angle = std::atan2(d.y(), d.x());
        while (next <= c[i]) {
            if (stamps.size() >= kMaxStamps) return stamps;
            const double u = (next - c[i - 1]) / L;
            double fade = 1.0;
            if (total > 1) {
                const double t = next / total;
                if (t > 0.85) fade = std::max((1 - t) / 0.15, 0.0);
            }
            stamps.push_back({a + d * u, pickCell(k, cells, stroke, angle), angle, fade});
            ++k;
            next += step;
        }
    }
    return stamps;
}

void drawStamps(const std::vector<StampPlacement>& stamps, const std::vector<QImage>& cells, double colourAlpha,
                QPainter& painter) {
    StampPainter stamper(painter);
    for (const StampPlacement& s : stamps) {
        if (s.ci < 0 || static_cast<std::size_t>(s.ci) >= cells.size()) continue;
        const QImage& cell = cells[static_cast<std::size_t>(s.ci)];
        stamper.draw(cell, s.pos, s.angle, s.alpha * colourAlpha, QSizeF(cell.width(), cell.height()));
    }
}

void drawGIMPBrushStroke(const DrawingStroke& stroke, const std::vector<QImage>& cells, QPainter& painter) {
    drawStamps(gimpBrushStamps(stroke, cells), cells, colorAlpha(stroke.color), painter);
}

} // namespace brushEngine

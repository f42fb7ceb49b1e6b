// The brush preview: a sample stroke painted with the brush's cells.

#include "brushes/BrushEngine.h"
#include "brushes/StampPainting.h"

#include <QPainter>
#include <QRandomGenerator>

#include <cmath>
#include <numbers>

namespace brushEngine {

namespace {

constexpr double kPi = std::numbers::pi;

double fadeInOut(double u) {
    if (u < 0.15) return std::sin((u / 0.15) * kPi / 2);
    if (u > 0.85) return std::sin(((1 - u) / 0.15) * kPi / 2);
    return 1;
}

} // namespace

std::vector<StampPlacement> previewStamps(int cellCount, GIMPCellSelection selection, double d, QSize size) {
    const int W = size.width(), H = size.height();
    if (cellCount <= 0 || W <= 0 || H <= 0 || W > kMaxTintedSide || H > kMaxTintedSide || !std::isfinite(d)) return {};
    const double step = std::max(0.1 * d, 1.0);
    const double m = 0.05 * H + d / 2;
    const double A = 0.25 * H;

    // Two full periods of a sine wave across the image, y-up.
    const int N = 2 * W + 1;
    std::vector<QPointF> P(static_cast<std::size_t>(N));
    std::vector<double> c(static_cast<std::size_t>(N), 0.0);
    for (int i = 0; i < N; ++i) {
        const double t = double(i) / (2.0 * W);
        P[std::size_t(i)] = QPointF(m + t * (W - 2 * m), H / 2.0 + A * std::sin(4 * kPi * t));
        if (i > 0) {
            const QPointF d2 = P[std::size_t(i)] - P[std::size_t(i - 1)];
            c[std::size_t(i)] = c[std::size_t(i - 1)] + std::hypot(d2.x(), d2.y());
        }
    }
    const double total = c.back();

    std::vector<StampPlacement> stamps;
    double next = 0;
    int k = 0;
    for (std::size_t i = 1; i < P.size(); ++i) {
        const double L = c[i] - c[i - 1];
        if (!(L > 0)) continue;
        const QPointF a = P[i - 1], dir = P[i] - P[i - 1];
        const double angle = std::atan2(dir.y(), dir.x());
        while (next <= c[i]) {
            int ci = 0;
            switch (selection) {
            case GIMPCellSelection::sequential: ci = k % cellCount; break;
            case GIMPCellSelection::random:
                ci = static_cast<int>(QRandomGenerator::global()->bounded(cellCount));
                break;
            case GIMPCellSelection::constant: ci = 0; break;
            case GIMPCellSelection::angular:
                ci = static_cast<int>(cellCount * (angle + kPi) / (2 * kPi)) % cellCount;
                break;
            }
            const double u = total > 0 ? next / total : 0;
            stamps.push_back({a + dir * ((next - c[i - 1]) / L), ci, angle, fadeInOut(u)});
            ++k;
            next += step;
        }
    }
    return stamps;
}

std::optional<QImage> renderBrushPreview(const std::vector<QImage>& cells, GIMPCellSelection selection, QSize size) {
    const int W = size.width(), H = size.height();
    if (cells.empty() || W <= 0 || H <= 0 || W > kMaxTintedSide || H > kMaxTintedSide) return std::nullopt;
    const int d0 = std::max(cells.front().width(), cells.front().height());
    if (d0 <= 0) return std::nullopt;

    // Stamps at most 40 % of the height, never enlarged; prepared once.
    const double scale = std::min(0.4 * H / d0, 1.0);
    std::vector<QImage> prepared;
    for (const QImage& cell : cells) {
        if (auto black = tintedImage(cell, scale, 0, 0, 0)) prepared.push_back(std::move(*black));
    }
    if (prepared.empty()) return std::nullopt;
    const double d = std::max(prepared.front().width(), prepared.front().height());
    const auto stamps = previewStamps(static_cast<int>(prepared.size()), selection, d, size);

    QImage image(W, H, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return std::nullopt;
    image.fill(Qt::white);
    QPainter painter(&image);
    // The wave is laid out y-up; the images stay upright.
    painter.translate(0, H);
    painter.scale(1, -1);
    {
        StampPainter stamper(painter, true, true);
        for (const StampPlacement& s : stamps) {
            const QImage& cell = prepared[static_cast<std::size_t>(s.ci)];
            stamper.draw(cell, s.pos, s.angle, s.alpha, QSizeF(cell.width(), cell.height()));
        }
    }
    painter.end();
    return image;
}

} // namespace brushEngine

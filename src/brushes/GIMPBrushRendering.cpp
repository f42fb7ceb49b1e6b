// The generated (parametric) brush, and the two image utilities beside it:
// writing a cell to PNG and turning any image back into a cell mask.

#include "brushes/GIMPBrushParser.h"
#include "platform/StoredFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
// A coverage table this long belongs to a radius far beyond any brush.
constexpr double kMaxCoverageEntries = 1 << 20;

// Nearest integer, halves away from zero, for 0 <= x < 2^31. Exact: x - t is
// representable for such x.
inline long roundNonNegative(double x) {
    const long t = static_cast<long>(x);
    return t + (x - static_cast<double>(t) >= 0.5 ? 1 : 0);
}

struct Generator {
    VBRShape shape;
    int spikes;
    double aspect, s, c, limit;
    // Folding into the first spike sector.
    double halfSector, sector, cs, ss;
    const std::vector<std::uint8_t>* alphas;

    // Sector edges: the angles (2j + 1) pi / k up to pi, as unit vectors.
    int edgeCount = 0;
    double edgeCos[11], edgeSin[11];

    // Rotations that bring the angle atan2(ty, tx) (ty >= 0) down to
    // halfSector or less, subtracting one sector at a time: the number of
    // edges the angle lies beyond. Found by the sign of a cross product with
    // each edge, no trigonometry, starting from the previous pixel's answer
    // (`hint`), which along a row is nearly always right. A point within
    // 1e-9 radians of an edge takes the subtracting loop itself, whose
    // rounding decides there.
    int sectorTurns(double tx, double ty, int& hint) const {
        const double tolerance = 1e-9 * (std::abs(tx) + ty);
        if (!(tolerance > 0)) return exactSectorTurns(tx, ty);
        int turns = hint;
        while (turns > 0) {
            const double side = edgeCos[turns - 1] * ty - edgeSin[turns - 1] * tx;
            if (std::abs(side) <= tolerance) return exactSectorTurns(tx, ty);
            if (side > 0) break;
            --turns;
        }
        while (turns < edgeCount) {
            const double side = edgeCos[turns] * ty - edgeSin[turns] * tx;
            if (std::abs(side) <= tolerance) return exactSectorTurns(tx, ty);
            if (side < 0) break;
            ++turns;
        }
        hint = turns;
        return turns;
    }

    int exactSectorTurns(double tx, double ty) const {
        double a = std::atan2(ty, tx);
        int turns = 0;
        while (a > halfSector) {
            a -= sector;
            ++turns;
        }
        return turns;
    }

    std::uint8_t alphaAt(int x, int y, int& hint) const {
        double tx = c * x - s * y;
        double ty = std::abs(s * x + c * y);
        if (spikes >= 3) {
            for (int turns = sectorTurns(tx, ty, hint); turns > 0; --turns) {
                const double nx = cs * tx - ss * ty;
                ty = ss * tx + cs * ty;
                tx = nx;
            }
        }
        ty = ty * aspect;
        double d = 0;
        switch (shape) {
        case VBRShape::circle: d = std::sqrt(tx * tx + ty * ty); break;
        case VBRShape::square: d = std::max(std::abs(tx), std::abs(ty)); break;
        case VBRShape::diamond: d = std::abs(tx) + std::abs(ty); break;
        }
        if (!(d < limit)) return 0;
        const long i = roundNonNegative(4 * d);
        return i < static_cast<long>(alphas->size()) ? (*alphas)[i] : 0;
    }
};

} // namespace

std::vector<float> GIMPBrushParser::vbrCoverage(double radius, double hardness) {
    if (!std::isfinite(radius) || !std::isfinite(hardness)) return {};
    const double side = std::ceil(radius + 1);
    const double length = 4 * std::ceil(1 + std::sqrt(2 * side * side));
    if (!(length >= 1) || length > kMaxCoverageEntries) return {};
    std::vector<float> table(static_cast<size_t>(length), 0.0f);

    const double exponent = 1 - hardness < 0.0000004 ? 1000000.0 : 0.4 / (1 - hardness);
    const auto falloff = [&](double d) {
        if (d > radius) return 0.0;
        const double p = std::pow(d / radius, exponent);
        return p < 0.5 ? 1 - 2 * p * p : 2 * (1 - p) * (1 - p);
    };
    // A 4-sample box filter slid along the distance in quarter pixels.
    double window[4];
    double sum = 0;
    for (int j = 0; j < 4; ++j) {
        window[j] = falloff(std::abs((j + 0.5) / 4 - 0.5));
        sum += window[j];
    }
    double d = 0.375;
    for (size_t i = 0; i < table.size() && (d < radius || sum > 0.00001); ++i) {
        sum -= window[i % 4];
        window[i % 4] = falloff(d);
        sum += window[i % 4];
        // The running sum can cancel to a hair below zero.
        table[i] = std::clamp(static_cast<float>(sum * 0.25), 0.0f, 1.0f);
        d += 0.25;
    }
    return table;
}

std::optional<QImage> GIMPBrushParser::renderVBR(const VBRParams& params) {
    const VBRParams q = params.clamped();
    if (!std::isfinite(q.radius) || !std::isfinite(q.hardness) || !std::isfinite(q.aspectRatio) ||
        !std::isfinite(q.angle))
        return std::nullopt;
    const double r = q.radius;
    const int k = q.spikes;
    // Thousandths of a degree, so nearly equal angles render alike.
    const double angle = std::round(q.angle * 1000) / 1000;
    const double theta = angle * kPi / 180;
    const double s = std::sin(theta), c = std::cos(theta);
    const double sr = r / q.aspectRatio;

    double hw = 0, hh = 0;
    if (k >= 3) {
        hw = hh = std::sqrt(r * r + sr * sr);
    } else {
        switch (q.shape) {
        case VBRShape::circle:
            hw = std::sqrt((c * r) * (c * r) + (s * sr) * (s * sr));
            hh = std::sqrt((s * r) * (s * r) + (c * sr) * (c * sr));
            break;
        case VBRShape::square:
            hw = std::abs(c * r) + std::abs(s * sr);
            hh = std::abs(s * r) + std::abs(c * sr);
            break;
        case VBRShape::diamond:
            hw = std::max(std::abs(c * r), std::abs(s * sr));
            hh = std::max(std::abs(s * r), std::abs(c * sr));
            break;
        }
    }
    const int halfW = std::max(1, static_cast<int>(std::ceil(2 * hw))) / 2;
    const int halfH = std::max(1, static_cast<int>(std::ceil(2 * hh))) / 2;
    const int width = 2 * halfW + 1, height = 2 * halfH + 1;
    if (width > kMaxRenderedSide || height > kMaxRenderedSide) return std::nullopt;

    const std::vector<float> coverage = vbrCoverage(r, q.hardness);
    if (coverage.empty()) return std::nullopt;
    std::vector<std::uint8_t> alphas(coverage.size());
    std::transform(coverage.begin(), coverage.end(), alphas.begin(), [](float v) -> std::uint8_t {
        if (v <= 0) return 0;
        return static_cast<std::uint8_t>(std::clamp(std::round(std::min(v, 1.0f) * 255.0f), 0.0f, 255.0f));
    });

    QImage image(width, height, kCellMaskFormat);
    if (image.isNull()) return std::nullopt;
    image.fill(0);

    Generator g;
    g.shape = q.shape;
    g.spikes = k;
    g.aspect = q.aspectRatio;
    g.s = s;
    g.c = c;
    g.limit = r + 1;
    g.halfSector = kPi / k;
    g.sector = 2 * kPi / k;
    g.cs = std::cos(-2 * kPi / k);
    g.ss = std::sin(-2 * kPi / k);
    for (int j = 0; 2 * j + 1 <= k; ++j) {
        g.edgeCos[j] = std::cos((2 * j + 1) * kPi / k);
        g.edgeSin[j] = std::sin((2 * j + 1) * kPi / k);
        g.edgeCount = j + 1;
    }
    // Beyond this distance from the centre nothing is covered: folding keeps
    // the distance, the aspect only stretches, and a square's distance is at
    // least the larger of 1/sqrt(2) and cos(halfSector) of it inside a
    // sector. Rows are only computed within it; the rest stays 0.
    const double squareShrink = std::max(std::numbers::sqrt2 / 2, k >= 3 ? std::cos(kPi / k) : 0.0);
    const double reach = (r + 1) / (q.shape == VBRShape::square ? squareShrink : 1);
    const double reachSq = reach * reach * (1 + 1e-9);
    g.alphas = &alphas;

    // Even spike counts are point-symmetric: compute the lower half and
    // mirror it. In the middle row the later store wins, as in a plain loop.
    const bool even = k % 2 == 0;
    for (int y = even ? 0 : -halfH; y <= halfH; ++y) {
        const double span = reachSq - double(y) * y;
        if (span < 0) continue;
        int xEnd = std::min(halfW, static_cast<int>(std::sqrt(span)) + 1);
        while (xEnd > 0 && double(xEnd) * xEnd > span) --xEnd;
        std::uint8_t* row = image.scanLine(y + halfH) + 3;
        std::uint8_t* mirror = image.scanLine(halfH - y) + 3;
        int hint = 0;
        for (int x = -xEnd; x <= xEnd; ++x) {
            const std::uint8_t a = g.alphaAt(x, y, hint);
            row[4 * (x + halfW)] = a;
            if (even) mirror[4 * (halfW - x)] = a;
        }
    }
    return image;
}

bool GIMPBrushParser::writePNG(const QImage& image, const QString& path) {
    if (image.isNull()) return false;
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        if (!writer.write(image)) return false;
    }
    // Into the store as it is: a folder removed meanwhile is not made again.
    if (!QFileInfo(path).absoluteDir().exists()) return false;
    // In one step, so a reader never meets half a cell, and never through a
    // link onto anything but a regular file.
    return platform::storedFile::writeAtomically(path, png);
}

std::optional<QImage> GIMPBrushParser::maskImage(const QImage& image) {
    if (image.isNull()) return std::nullopt;
    // The image drawn over transparent black: premultiplied RGBA bytes.
    QImage mask = image.convertToFormat(kCellMaskFormat);
    if (mask.isNull() || mask.size() != image.size()) return std::nullopt;
    for (int y = 0; y < mask.height(); ++y) {
        std::uint8_t* p = mask.scanLine(y);
        for (int x = 0; x < mask.width(); ++x, p += 4) {
            const double luma = 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
            const int l = std::clamp(static_cast<int>(luma), 0, 255);
            p[3] = static_cast<std::uint8_t>(std::max<int>(p[3], l));
            p[0] = p[1] = p[2] = 0;
        }
    }
    return mask;
}

#include "geometry/AirbrushGeometry.h"

#include "geometry/Points.h"

#include <algorithm>
#include <numbers>

namespace {

constexpr double kSprayDabSpacing = 0.25; // dabs this many widths apart along the path
constexpr double kSprayMinDabSpacing = 0.5;
constexpr double kSpeckleReach = 0.95; // speckle centres within this many widths of the path
constexpr double kSpeckleNearest = 0.25;
constexpr double kSpeckleMinRadius = 0.5;
constexpr double kSpeckleMinRadiusFactor = 0.03;
constexpr double kSpeckleMaxRadiusFactor = 0.08;
constexpr double kSpeckleChance = 0.6;
constexpr int kUnitBlobs = 32;

double speckleMaxRadius(double width) { return std::max(kSpeckleMinRadius, kSpeckleMaxRadiusFactor * width); }

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

// Blob outlines of radius 1 about the origin, one per seed, as polygons
// through points of their curves: a speckle is one of them scaled and
// moved. Speckles are a few pixels across, where three points per curve
// are as good as the curve, and filling hundreds of curved outlines per
// stroke would cost more than the rest of the spray.
constexpr int kBlobPointsPerCurve = 3;

using UnitBlob = std::vector<QPointF>;

const std::array<UnitBlob, kUnitBlobs>& unitBlobs() {
    static const std::array<UnitBlob, kUnitBlobs> kBlobs = [] {
        std::array<UnitBlob, kUnitBlobs> all;
        for (int seed = 0; seed < kUnitBlobs; ++seed) {
            const QPainterPath path = blobOutline(seed, QPointF(0, 0), 1);
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
    return kBlobs;
}

} // namespace

double sprayDabSpacing(double width) { return std::max(width * kSprayDabSpacing, kSprayMinDabSpacing); }

double dabProfile(double t) { return t < 1 ? (1 - t * t) * (1 - t * t) : 0; }

double dabPeakAlpha(double spacing, double radius) {
    double sum = 0;
    const int reach = static_cast<int>(std::ceil(radius / spacing));
    for (int k = -reach; k <= reach; ++k) sum += dabProfile(std::abs(k) * spacing / radius);
    return sum > 0 ? 1 - std::pow(1 - kSprayCentreAlpha, 1 / sum) : kSprayCentreAlpha;
}

QPoint dabCorner(QPointF at, int side) {
    const double half = side / 2.0;
    return QPoint(static_cast<int>(std::lround(at.x() - half)), static_cast<int>(std::lround(at.y() - half)));
}

double speckleSpacing(double width) { return std::max(width * 0.5, 2.0); }

int specklesAt(QPointF at, QPointF segmentStart, std::uint64_t place, double width, std::array<Speckle, 2>& out) {
    const double maxRadius = speckleMaxRadius(width);
    const std::uint64_t segmentSeed =
        mix64(quantised(segmentStart.x()) * 0x9e3779b1ULL ^ mix64(quantised(segmentStart.y())));
    int count = 0;
    for (std::uint64_t chance = 0; chance < 2; ++chance) {
        std::uint64_t h = mix64(segmentSeed ^ ((place * 2 + chance + 1) * kGolden));
        auto next = [&h] {
            h = mix64(h + kGolden);
            return unitOf(h);
        };
        if (next() >= kSpeckleChance) continue;
        const double distance = width * (kSpeckleNearest + (kSpeckleReach - kSpeckleNearest) * next());
        const double angle = 2 * std::numbers::pi * next();
        const double radius =
            std::max(kSpeckleMinRadius,
                     width * (kSpeckleMinRadiusFactor + (kSpeckleMaxRadiusFactor - kSpeckleMinRadiusFactor) * next()));
        const bool strong = next() < 0.5;
        const int blob = static_cast<int>(h >> 59); // 0…31
        out[static_cast<std::size_t>(count++)] = Speckle{at + QPointF(std::cos(angle), std::sin(angle)) * distance,
                                                         std::min(radius, maxRadius), blob, strong};
    }
    return count;
}

void addSpeckleOutline(QPainterPath& path, const Speckle& speckle) {
    const UnitBlob& blob = unitBlobs()[static_cast<std::size_t>(speckle.blob)];
    const QPointF c = speckle.centre;
    const double r = speckle.radius;
    path.moveTo(c + blob[0] * r);
    for (std::size_t i = 1; i < blob.size(); ++i) path.lineTo(c + blob[i] * r);
    path.closeSubpath();
}

double speckleReach(const Speckle& speckle) { return kBlobMaxReach * speckle.radius + 1; }

// A dab of radius r covers pixels whose centres lie within r of it after its
// position is rounded to whole pixels: r + 1 along each axis.
double airbrushReach(double width) {
    return std::max(width + 1, kSpeckleReach * width + kBlobMaxReach * speckleMaxRadius(width));
}

QRectF airbrushExtent(const std::vector<QPointF>& points, double width) {
    return grownBounds(points, airbrushReach(std::abs(width)));
}

QPainterPath blobOutline(std::int64_t seed, QPointF center, double radius) {
    // Unsigned arithmetic: the seeded products wrap around instead of
    // overflowing.
    const std::uint64_t base = static_cast<std::uint64_t>(seed) * 13u;
    QPointF pts[8];
    for (std::uint64_t k = 0; k < 8; ++k) {
        const std::uint64_t h = (base + k) * 23721u;
        const auto u = [h](std::uint64_t x) { return static_cast<double>((h + x) & 0xFFFFu) / 65535.0; };
        const double jitter = (u(7431) - 0.5) * 0.28;
        const double theta = static_cast<double>(k) * std::numbers::pi / 4 + jitter;
        const double v = u(13240);
        const double factor = v > 0.78 ? 1.6 + 1.4 * u(19049) : 0.35 + 0.75 * v / 0.78;
        pts[k] = center + QPointF(std::cos(theta), std::sin(theta)) * (factor * radius);
    }
    const auto mid = [&pts](int a, int b) { return (pts[a] + pts[b]) / 2; };
    QPainterPath path(mid(7, 0));
    for (int k = 0; k < 8; ++k) path.quadTo(pts[k], mid(k, (k + 1) % 8));
    path.closeSubpath();
    return path;
}

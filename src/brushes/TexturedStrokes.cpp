// Chalk and watercolour strokes: generated stamp masks, their process-wide
// cache, and the walk that places the stamps along a stroke.

#include "brushes/BrushEngine.h"
#include "brushes/StampHash.h"
#include "brushes/StampPainting.h"
#include "geometry/BrushReach.h"
#include "model/DrawingStroke.h"
#include "platform/Dispatch.h"
#include "platform/StampMemoryBudget.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <mutex>
#include <numbers>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace brushEngine {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kVariants = 4;
constexpr int kMinStampPixels = 8;
constexpr int kMaxStampPixels = 384;
constexpr std::size_t kMaxStamps = std::size_t(1) << 20;

struct KindConstants {
    double step;
    double alpha;
    double jitter;
};
KindConstants constantsOf(int kind) {
    return kind == kWatercolorKind ? KindConstants{0.09, 0.42, kWatercolorJitter}
                                   : KindConstants{0.22, 0.85, kChalkJitter};
}

// A component within 0…1; not a number counts as white.
double usableComponent(double v) { return std::isnan(v) ? 1.0 : std::clamp(v, 0.0, 1.0); }

// The nearest integer (halves away from zero) of a value that fits an int64.
std::optional<std::int64_t> roundedToInt64(double v) {
    if (!std::isfinite(v) || std::abs(v) >= 9.2e18) return std::nullopt;
    return static_cast<std::int64_t>(std::llround(v));
}

// ---- Chalk chips ----

// Anti-aliased coverage of simple polygons, built up with source-over
// blending of white into an alpha buffer. Each edge deposits its signed area
// into the cells it crosses and a running sum along a row gives each pixel's
// exact coverage, as font rasterizers do: thousands of small chips cost a few
// operations per pixel instead of a path fill each.
class ChipRasterizer {
public:
    explicit ChipRasterizer(int n) : n_(n), alpha_(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0.f) {}

    void fill(const QPointF* corners, int count, float alpha) {
        double minX = corners[0].x(), maxX = minX, minY = corners[0].y(), maxY = minY;
        for (int q = 1; q < count; ++q) {
            minX = std::min(minX, corners[q].x());
            maxX = std::max(maxX, corners[q].x());
            minY = std::min(minY, corners[q].y());
            maxY = std::max(maxY, corners[q].y());
        }
        if (!std::isfinite(minX + maxX + minY + maxY)) return;
        const int x0 = static_cast<int>(std::floor(std::clamp(minX, 0.0, double(n_))));
        const int x1 = static_cast<int>(std::ceil(std::clamp(maxX, 0.0, double(n_))));
        const int y0 = static_cast<int>(std::floor(std::clamp(minY, 0.0, double(n_))));
        const int y1 = static_cast<int>(std::ceil(std::clamp(maxY, 0.0, double(n_))));
        if (x1 <= x0 || y1 <= y0) return;
        w_ = x1 - x0;
        h_ = y1 - y0;
        stride_ = w_ + 2;
        acc_.assign(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(h_), 0.f);
        spanStart_.assign(static_cast<std::size_t>(h_), stride_);
        spanEnd_.assign(static_cast<std::size_t>(h_), 0);
        for (int q = 0; q < count; ++q) {
            const QPointF a = corners[q], b = corners[(q + 1) % count];
            line(a.x() - x0, a.y() - y0, b.x() - x0, b.y() - y0);
        }
        // Left of a row's first touched cell and right of its last the sum
        // is zero: only the span between needs summing and blending.
        for (int r = 0; r < h_; ++r) {
            const int from = spanStart_[std::size_t(r)], to = std::min(spanEnd_[std::size_t(r)], w_);
            if (from >= to) continue;
            blendRow(
                &acc_[static_cast<std::size_t>(r) * static_cast<std::size_t>(stride_)],
                &alpha_[static_cast<std::size_t>(y0 + r) * static_cast<std::size_t>(n_) + static_cast<std::size_t>(x0)],
                from, to, alpha);
        }
    }

    const std::vector<float>& alpha() const { return alpha_; }

private:
    // Coverage = |running sum of the cells|; a simple polygon winds once, so
    // the sum stays within 1 up to rounding and needs no clamp. Then
    // dst += coverage × alpha × (1 − dst): white drawn source-over.
    static void blendRow(const float* cells, float* dst, int from, int to, float alpha) {
        int x = from;
        float sum = 0;
#ifdef __SSE2__
        // Four pixels at a time: a prefix sum within the vector, plus the carry.
        const __m128 one = _mm_set1_ps(1.0f), a = _mm_set1_ps(alpha);
        const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
        __m128 carry = _mm_setzero_ps();
        for (; x + 4 <= to; x += 4) {
            __m128 v = _mm_loadu_ps(cells + x);
            v = _mm_add_ps(v, _mm_castsi128_ps(_mm_slli_si128(_mm_castps_si128(v), 4)));
            v = _mm_add_ps(v, _mm_castsi128_ps(_mm_slli_si128(_mm_castps_si128(v), 8)));
            v = _mm_add_ps(v, carry);
            carry = _mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 3, 3, 3));
            const __m128 c = _mm_mul_ps(_mm_and_ps(v, absMask), a);
            __m128 d = _mm_loadu_ps(dst + x);
            d = _mm_add_ps(d, _mm_mul_ps(c, _mm_sub_ps(one, d)));
            _mm_storeu_ps(dst + x, d);
        }
        sum = _mm_cvtss_f32(carry);
#endif
        for (; x < to; ++x) {
            sum += cells[x];
            const float c = std::abs(sum) * alpha;
            dst[x] += c * (1 - dst[x]);
        }
    }

    void line(double xa, double ya, double xb, double yb) {
        if (ya == yb) return;
        double dir = 1;
        if (ya > yb) {
            std::swap(xa, xb);
            std::swap(ya, yb);
            dir = -1;
        }
        const double dxdy = (xb - xa) / (yb - ya);
        const double maxX = w_;
        double x = xa;
        if (ya < 0) x -= ya * dxdy;
        const int yStart = std::max(0, static_cast<int>(std::floor(ya)));
        const int yEnd = std::min(h_, static_cast<int>(std::ceil(yb)));
        for (int y = yStart; y < yEnd; ++y) {
            float* row = &acc_[static_cast<std::size_t>(y) * static_cast<std::size_t>(stride_)];
            const double dy = std::min(y + 1.0, yb) - std::max(double(y), ya);
            const double xNext = std::clamp(x + dxdy * dy, 0.0, maxX);
            x = std::clamp(x, 0.0, maxX);
            const double d = dy * dir;
            const double lo = std::min(x, xNext), hi = std::max(x, xNext);
            // Both are within 0…w here: truncation is the floor.
            const int loI = static_cast<int>(lo);
            const int hiI = static_cast<int>(hi) + (static_cast<int>(hi) < hi ? 1 : 0);
            const double loFloor = loI, hiCeil = hiI;
            spanStart_[std::size_t(y)] = std::min(spanStart_[std::size_t(y)], loI);
            spanEnd_[std::size_t(y)] = std::max(spanEnd_[std::size_t(y)], hiI + 1);
            if (hiI <= loI + 1) {
                const double mid = 0.5 * (x + xNext) - loFloor;
                row[loI] += static_cast<float>(d - d * mid);
                row[loI + 1] += static_cast<float>(d * mid);
            } else {
                const double s = 1 / (hi - lo);
                const double loFrac = lo - loFloor;
                const double a0 = 0.5 * s * (1 - loFrac) * (1 - loFrac);
                const double hiFrac = hi - hiCeil + 1;
                const double am = 0.5 * s * hiFrac * hiFrac;
                row[loI] += static_cast<float>(d * a0);
                if (hiI == loI + 2) {
                    row[loI + 1] += static_cast<float>(d * (1 - a0 - am));
                } else {
                    const double a1 = s * (1.5 - loFrac);
                    row[loI + 1] += static_cast<float>(d * (a1 - a0));
                    for (int xi = loI + 2; xi < hiI - 1; ++xi) row[xi] += static_cast<float>(d * s);
                    const double a2 = a1 + (hiI - loI - 3) * s;
                    row[hiI - 1] += static_cast<float>(d * (1 - a2 - am));
                }
                row[hiI] += static_cast<float>(d * am);
            }
            x = xNext;
        }
    }

    int n_;
    std::vector<float> alpha_;
    std::vector<float> acc_;
    std::vector<int> spanStart_, spanEnd_; // touched cells of each row
    int w_ = 0, h_ = 0, stride_ = 0;
};

// A white mask (premultiplied: every byte the coverage) from alpha values.
std::optional<QImage> whiteMask(int n, const std::vector<float>& alpha) {
    QImage image(n, n, kCellMaskFormat);
    if (image.isNull()) return std::nullopt;
    for (int y = 0; y < n; ++y) {
        auto* d = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        const float* s = &alpha[static_cast<std::size_t>(y) * static_cast<std::size_t>(n)];
        for (int x = 0; x < n; ++x) {
            const auto a = static_cast<std::uint32_t>(std::lround(std::clamp(s[x], 0.0f, 1.0f) * 255));
            d[x] = a * 0x01010101u;
        }
    }
    return image;
}

// ---- The cache ----

struct MaskKey {
    int kind;
    int size;
    friend bool operator==(const MaskKey&, const MaskKey&) = default;
};
struct MaskKeyHash {
    std::size_t operator()(const MaskKey& k) const {
        return std::hash<std::uint64_t>()((std::uint64_t(std::uint32_t(k.kind)) << 32) | std::uint32_t(k.size));
    }
};
struct StampKeyHash {
    std::size_t operator()(const StampCacheKey& k) const {
        return static_cast<std::size_t>(mix((std::uint64_t(std::uint32_t(k.kind)) << 48) ^
                                            (std::uint64_t(std::uint32_t(k.size)) << 32) ^ std::uint32_t(k.colorKey)));
    }
};

// Uncoloured masks per kind and pixel size, and coloured variants per kind,
// size and colour. At most 48 colour entries, the oldest inserted out first
// (a hit does not renew its place); beyond that, the shared byte budget
// evicts whatever was used least recently.
class TexturedStampCache : public StampMemoryBudget::Cache {
public:
    explicit TexturedStampCache(StampMemoryBudget& budget) : budget_(budget) { budget_.attach(this); }

    std::optional<std::vector<QImage>> coloured(const StampCacheKey& key) {
        const std::uint64_t use = budget_.nextUse();
        std::lock_guard lock(mutex_);
        if (const auto* images = coloured_.find(key, use)) return *images;
        return std::nullopt;
    }

    std::optional<std::vector<QImage>> masks(const MaskKey& key) {
        const std::uint64_t use = budget_.nextUse();
        std::lock_guard lock(mutex_);
        if (const auto* images = masks_.find(key, use)) return *images;
        return std::nullopt;
    }

    void storeMasks(const MaskKey& key, const std::vector<QImage>& images) {
        const std::uint64_t use = budget_.nextUse();
        {
            std::lock_guard lock(mutex_);
            ++maskBuilds_;
            if (!masks_.contains(key)) masks_.insert(key, images, use);
        }
        budget_.enforce();
    }

    // The first caller to store a key keeps it; every caller returns its own.
    void storeColoured(const StampCacheKey& key, const std::vector<QImage>& images) {
        const std::uint64_t use = budget_.nextUse();
        {
            std::lock_guard lock(mutex_);
            ++tintBuilds_;
            if (coloured_.contains(key)) return;
            coloured_.insert(key, images, use);
            insertionOrder_.push_back(key);
            while (insertionOrder_.size() > kMaxTexturedColourEntries) {
                coloured_.erase(insertionOrder_.front());
                insertionOrder_.pop_front();
            }
        }
        budget_.enforce();
    }

    bool containsColoured(const StampCacheKey& key) const {
        std::lock_guard lock(mutex_);
        return coloured_.contains(key);
    }

    TexturedStampCacheStats stats() const {
        std::lock_guard lock(mutex_);
        return {coloured_.size(), masks_.size(), coloured_.byteCount() + masks_.byteCount(), maskBuilds_, tintBuilds_};
    }

    void clear() {
        std::lock_guard lock(mutex_);
        coloured_.clear();
        masks_.clear();
        insertionOrder_.clear();
        maskBuilds_ = tintBuilds_ = 0;
    }

    std::size_t byteCount() const override {
        std::lock_guard lock(mutex_);
        return coloured_.byteCount() + masks_.byteCount();
    }

    std::optional<std::uint64_t> oldestUse() const override {
        std::lock_guard lock(mutex_);
        const auto a = coloured_.oldestUse(), b = masks_.oldestUse();
        if (a && b) return std::min(*a, *b);
        return a ? a : b;
    }

    void evictOldest() override {
        std::lock_guard lock(mutex_);
        const auto a = coloured_.oldestUse(), b = masks_.oldestUse();
        if (a && (!b || *a < *b)) {
            const StampCacheKey key = *coloured_.oldestKey();
            coloured_.erase(key);
            insertionOrder_.erase(std::find(insertionOrder_.begin(), insertionOrder_.end(), key));
        } else if (b) {
            masks_.erase(*masks_.oldestKey());
        }
    }

private:
    StampMemoryBudget& budget_;
    mutable std::mutex mutex_;
    LruImageCache<StampCacheKey, StampKeyHash> coloured_;
    LruImageCache<MaskKey, MaskKeyHash> masks_;
    std::deque<StampCacheKey> insertionOrder_;
    std::uint64_t maskBuilds_ = 0;
    std::uint64_t tintBuilds_ = 0;
};

// Created on first use and never freed: strokes may be painted until the
// very end of the process.
TexturedStampCache& stampCache() {
    static auto* cache = new TexturedStampCache(StampMemoryBudget::shared());
    return *cache;
}

// The four masks of a kind and pixel size; large ones are generated on
// several threads at once.
std::vector<QImage> buildMasks(int kind, int px) {
    std::array<std::optional<QImage>, kVariants> built;
    auto make = [&](std::size_t v) {
        const int variant = static_cast<int>(v);
        built[v] = kind == kWatercolorKind ? noiseStamp(px, variant) : shapeMask(px, variant);
    };
    if (px >= 96) {
        platform::concurrentFor(kVariants, [&](qsizetype v) { make(static_cast<std::size_t>(v)); });
    } else {
        for (std::size_t v = 0; v < kVariants; ++v) make(v);
    }
    std::vector<QImage> masks;
    for (auto& m : built) {
        if (m) masks.push_back(std::move(*m));
    }
    return masks;
}

} // namespace

// ---- Masks ----

std::optional<QImage> shapeMask(int size, int variant) {
    const int n = std::max(size, kMinStampPixels);
    if (n > kMaxTintedSide) return std::nullopt;
    ChipRasterizer raster(n);
    const std::int64_t chips = std::max<std::int64_t>(40, std::int64_t(n) * n / 9);
    const double c = n / 2.0;
    const std::uint64_t S = static_cast<std::uint64_t>(std::int64_t(variant)) * 104729u;
    std::array<QPointF, 6> corners;
    for (std::int64_t i = 0; i < chips; ++i) {
        const auto u = [&](std::uint64_t j) { return (S + std::uint64_t(i) + j) * kHashK; };
        // Three uniform draws summed: a spread weighted to the centre.
        const double cx =
            c + ((hashUnit(u(101), 0x1f634373e4) + hashUnit(u(977), 0x11c950e3ce) + hashUnit(u(0), 0x191c35f65)) * 2.0 /
                     3.0 -
                 1) *
                    c * 0.62;
        const double cy =
            c + ((hashUnit(u(101), 0x217af29dc0) + hashUnit(u(977), 0x13e1000daa) + hashUnit(u(0), 0x3a9728941)) * 2.0 /
                     3.0 -
                 1) *
                    c * 0.62;
        const double dist = std::hypot(cx - c, cy - c) / c;
        if (!(dist < 0.95)) continue;
        const double rad = (0.03 + 0.05 * hashUnit(u(0), 0x5c121b31d)) * n;
        const double alpha = (1 - 0.55 * dist * dist) * (0.3 + 0.55 * hashUnit(u(0), 0x6ccf9480b));
        const int m = static_cast<int>(1.99 * hashUnit(u(0), 0x8e4a871e7)) + 5;
        for (int q = 0; q < m; ++q) {
            const std::uint64_t w = (31 * std::uint64_t(i) + S + std::uint64_t(q)) * kHashK;
            const double angle = 0.8 * hashUnit(w, 0x9f08006d5) + 2 * kPi * q / m;
            const double radius = (0.55 + 0.7 * hashUnit(w, 0xc082f30b1)) * rad;
            // Laid out y-up, as the chips were designed; rows run top down.
            corners[static_cast<std::size_t>(q)] =
                QPointF(cx + std::cos(angle) * radius, n - (cy + std::sin(angle) * radius));
        }
        raster.fill(corners.data(), m, static_cast<float>(alpha));
    }
    return whiteMask(n, raster.alpha());
}

std::optional<QImage> noiseStamp(int size, int variant) {
    const int n = std::max(size, kMinStampPixels);
    if (n > kMaxTintedSide) return std::nullopt;
    const double c = (n - 1) / 2.0;
    const std::uint64_t a = static_cast<std::uint64_t>(std::int64_t(variant)) * kHashK;
    const std::uint64_t b = a ^ (a >> 33);
    const auto phase = [b](std::uint64_t salt) {
        std::uint64_t z = (b ^ salt) * kHashM;
        z ^= z >> 33;
        return 2 * kPi * unit(z);
    };
    const double phi1 = phase(0x85ebca77), phi2 = phase(0x10bd794ee);
    const double cos1 = std::cos(phi1), sin1 = std::sin(phi1), cos2 = std::cos(phi2), sin2 = std::sin(phi2);

    QImage image(n, n, kCellMaskFormat);
    if (image.isNull()) return std::nullopt;
    for (int i = 0; i < n; ++i) {
        auto* d = reinterpret_cast<std::uint32_t*>(image.scanLine(i));
        const double y = i - c;
        for (int j = 0; j < n; ++j) {
            const double x = j - c;
            const double r = std::hypot(x, y);
            // sin(kθ + φ) from the multiple-angle polynomials of cos θ and
            // sin θ: no atan2 or sin per pixel.
            double ct = 1, st = 0;
            if (r > 0) {
                ct = x / r;
                st = y / r;
            }
            const double ct2 = ct * ct, st2 = st * st;
            const double sin3 = st * (3 - 4 * st2), cos3 = ct * (4 * ct2 - 3);
            const double sin5 = st * (16 * st2 * st2 - 20 * st2 + 5), cos5 = ct * (16 * ct2 * ct2 - 20 * ct2 + 5);
            const double wobble = 1 + 0.07 * (sin3 * cos1 + cos3 * sin1) + 0.05 * (sin5 * cos2 + cos5 * sin2);
            const double rho = r / (wobble * c);
            std::uint32_t alpha = 0;
            if (rho < 1) {
                const double k = (rho - 0.8) / 0.14;
                const double v = 0.46 * std::pow(std::max(0.0, 1 - rho * rho), 1.4) + 0.14 * std::exp(-k * k);
                alpha = static_cast<std::uint32_t>(std::clamp(static_cast<int>(std::min(v, 1.0) * 255), 0, 255));
            }
            d[j] = alpha * 0x01010101u;
        }
    }
    return image;
}

// ---- Cache ----

std::optional<StampCacheKey> stampCacheKey(int kind, double lineWidth, const Color& color) {
    const auto s = roundedToInt64(lineWidth);
    if (!s || std::abs(*s) > (std::int64_t(1) << 40)) return std::nullopt;
    const int px = static_cast<int>(std::clamp<std::int64_t>(2 * *s, kMinStampPixels, kMaxStampPixels));
    const auto byte = [](double v) { return static_cast<int>(usableComponent(v) * 255); };
    return StampCacheKey{kind, px, byte(color.r) << 16 | byte(color.g) << 8 | byte(color.b)};
}

std::vector<QImage> stampImage(int kind, double lineWidth, const Color& color) {
    const auto key = stampCacheKey(kind, lineWidth, color);
    if (!key) return {};
    auto& cache = stampCache();
    if (auto hit = cache.coloured(*key)) return std::move(*hit);

    const MaskKey maskKey{kind, key->size};
    auto masks = cache.masks(maskKey);
    if (!masks) {
        masks = buildMasks(kind, key->size);
        cache.storeMasks(maskKey, *masks);
    }
    std::vector<QImage> images;
    const double r = usableComponent(color.r), g = usableComponent(color.g), b = usableComponent(color.b);
    for (const QImage& mask : *masks) {
        if (auto tinted = tintedImage(mask, 1.0, r, g, b)) images.push_back(std::move(*tinted));
    }
    cache.storeColoured(*key, images);
    return images;
}

TexturedStampCacheStats texturedStampCacheStats() { return stampCache().stats(); }

bool texturedStampCacheContains(const StampCacheKey& key) { return stampCache().containsColoured(key); }

void clearTexturedStampCache() { stampCache().clear(); }

// ---- The walk ----

std::vector<StampPlacement> texturedStamps(const DrawingStroke& stroke, int kind, int imageCount) {
    const auto& P = stroke.points;
    if (P.empty() || imageCount <= 0) return {};
    const double lw = stroke.lineWidth;
    if (!std::isfinite(lw)) return {};
    const KindConstants k = constantsOf(kind);
    double step = k.step * lw;
    if (!(step >= 0.75)) step = 0.75;
    const double A = colorAlpha(stroke.color);

    // Seeded by the first point, so the same stroke always gets the same texture.
    const auto X = roundedToInt64(P[0].x() * 8), Y = roundedToInt64(P[0].y() * 8);
    if (!X || !Y) return {};
    const std::uint64_t H = (static_cast<std::uint64_t>(*X) * 73856093u) ^ (static_cast<std::uint64_t>(*Y) * 19349663u);
    const double theta0 = 2 * kPi * unit(mix((H * kHashK) ^ 0x29d9af453));

    const auto n = static_cast<std::uint64_t>(imageCount);
    std::vector<StampPlacement> stamps;
    double D = 0, N = 0;
    std::uint64_t counter = 0;
    const std::size_t c = P.size();
    const std::size_t segments = std::max<std::size_t>(c, 2);
    for (std::size_t i = 1; i < segments; ++i) {
        const QPointF a = P[i - 1];
        const QPointF b = i < c ? P[i] : a;
        const QPointF d = b - a;
        const double len = std::hypot(d.x(), d.y());
        if (!std::isfinite(len)) break;
        const double D0 = D;
        D += len;
        if (i != 1 && !(len > 0)) continue;
        if (D < N) continue;
        while (D >= N) {
            if (stamps.size() >= kMaxStamps) return stamps;
            const double t = len > 0 ? (N - D0) / len : 0;
            const double x = a.x() + d.x() * t;
            const double y = a.y() + d.y() * t;
            const std::uint64_t g = (counter + H) * kHashK;
            const int picture = static_cast<int>(static_cast<std::uint64_t>(unit(mix(g ^ 0x5c121b31d)) * n) % n);
            const double jittered = y + (unit(mix(g ^ 0xc082f30b1)) - 0.5) * lw * k.jitter;
            const double theta = theta0 + 0.22 * std::sin(2 * kPi * N / 600);
            const double alpha = (0.8 + 0.2 * unit(mix(g ^ 0x135b144333))) * A * k.alpha;
            stamps.push_back({QPointF(x, jittered), picture, theta, alpha});
            N += step;
            ++counter;
        }
    }
    return stamps;
}

void drawStampsAlongPath(const std::vector<StampPlacement>& stamps, const std::vector<QImage>& images, double lineWidth,
                         QPainter& painter) {
    if (images.empty()) return;
    // The masks are soft-edged and made at twice the point size: filtering
    // only pays when they are drawn larger than that.
    const bool enlarged = lineWidth * StampPainter::deviceScale(painter) > images.front().width();
    StampPainter stamper(painter, enlarged);
    const QSizeF side(lineWidth, lineWidth);
    for (const StampPlacement& s : stamps) {
        if (s.ci < 0 || static_cast<std::size_t>(s.ci) >= images.size()) continue;
        stamper.draw(images[static_cast<std::size_t>(s.ci)], s.pos, s.angle, s.alpha, side);
    }
}

void drawTexturedStroke(const DrawingStroke& stroke, int kind, QPainter& painter) {
    if (stroke.points.empty()) return;
    const auto images = stampImage(kind, stroke.lineWidth, stroke.color);
    if (images.empty()) return;
    drawStampsAlongPath(texturedStamps(stroke, kind, static_cast<int>(images.size())), images, stroke.lineWidth,
                        painter);
}

} // namespace brushEngine

#include "brushes/BrushEngine.h"
#include "brushes/StampHash.h"
#include "model/DrawingStroke.h"
#include "platform/StampMemoryBudget.h"
#include "support/BrushStoreFiles.h"
#include "support/TestDrawingState.h"

#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <thread>

using namespace testing_support;
using namespace brushEngine;

namespace {

constexpr double kPi = std::numbers::pi;

DrawingStroke texturedStroke(std::vector<QPointF> points, double width, Color color = Color::red()) {
    DrawingStroke s;
    s.tool = DrawingTool::chalk;
    s.points = std::move(points);
    s.lineWidth = width;
    s.color = color;
    return s;
}

QImage paint(const DrawingStroke& stroke, int kind, QSize size = {200, 120}) {
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    drawTexturedStroke(stroke, kind, p);
    return canvas;
}

std::vector<double> xs(const std::vector<StampPlacement>& stamps) {
    std::vector<double> out;
    for (const auto& s : stamps) out.push_back(s.pos.x());
    return out;
}

// Resets the shared cache around each test.
struct TexturedStroke : ::testing::Test {
    void SetUp() override { clearTexturedStampCache(); }
    void TearDown() override {
        StampMemoryBudget::shared().setLimit(StampMemoryBudget::kDefaultLimit);
        clearTexturedStampCache();
    }
};

} // namespace

TEST_F(TexturedStroke, FirstStampSitsOnTheFirstPointAndZeroLengthSegmentsAddNothing) {
    const auto single = texturedStamps(texturedStroke({{30, 40}}, 10), kChalkKind, 4);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].pos.x(), 30);
    EXPECT_LE(std::abs(single[0].pos.y() - 40), 10 * 0.24 / 2); // jittered up or down only

    const auto plain = texturedStamps(texturedStroke({{5, 5}, {25, 5}, {45, 5}}, 10), kChalkKind, 4);
    const auto repeated =
        texturedStamps(texturedStroke({{5, 5}, {5, 5}, {25, 5}, {25, 5}, {45, 5}}, 10), kChalkKind, 4);
    ASSERT_EQ(plain.size(), repeated.size());
    for (std::size_t i = 0; i < plain.size(); ++i) EXPECT_EQ(plain[i].pos, repeated[i].pos);
    EXPECT_EQ(repeated[0].pos.x(), 5);
    EXPECT_TRUE(texturedStamps(texturedStroke({}, 10), kChalkKind, 4).empty());
    EXPECT_TRUE(texturedStamps(texturedStroke({{1e300, 0}}, 10), kChalkKind, 4).empty());
}

TEST_F(TexturedStroke, StampsAreSpacedByTheKindsFactorButAtLeastThreeQuartersOfAPoint) {
    EXPECT_EQ(xs(texturedStamps(texturedStroke({{0, 0}, {3, 0}}, 2), kChalkKind, 4)),
              (std::vector<double>{0, 0.75, 1.5, 2.25, 3}));
    const auto chalk = xs(texturedStamps(texturedStroke({{0, 0}, {11, 0}}, 10), kChalkKind, 4));
    ASSERT_EQ(chalk.size(), 6u);
    EXPECT_NEAR(chalk[1], 2.2, 1e-12);
    EXPECT_NEAR(chalk[5], 11, 1e-12);
    const auto water = xs(texturedStamps(texturedStroke({{0, 0}, {9.5, 0}}, 10), kWatercolorKind, 4));
    ASSERT_EQ(water.size(), 11u);
    EXPECT_NEAR(water[1], 0.9, 1e-12);
}

TEST_F(TexturedStroke, OpacityAndPictureComeFromTheKindAndAHashOfTheStamp) {
    const auto stamps =
        texturedStamps(texturedStroke({{0, 0}, {200, 0}}, 10, Color::red().withAlpha(0.5)), kChalkKind, 4);
    std::set<int> pictures;
    for (const auto& s : stamps) {
        EXPECT_GE(s.alpha, 0.8 * 0.5 * 0.85 - 1e-12);
        EXPECT_LE(s.alpha, 0.5 * 0.85 + 1e-12);
        pictures.insert(s.ci);
    }
    EXPECT_EQ(pictures, (std::set<int>{0, 1, 2, 3}));
    // The rotation sways slowly around one base angle.
    EXPECT_LE(std::abs(stamps.back().angle - stamps.front().angle), 0.44 + 1e-12);
}

TEST_F(TexturedStroke, RepaintsAreIdenticalAndTheTextureFollowsTheFirstPoint) {
    for (int kind : {kChalkKind, kWatercolorKind}) {
        const auto stroke = texturedStroke({{20, 60}, {60, 40}, {120, 80}, {170, 50}}, 14);
        const QImage once = paint(stroke, kind);
        EXPECT_EQ(paint(stroke, kind), once);
        QImage empty(once.size(), once.format());
        empty.fill(Qt::transparent);
        EXPECT_NE(once, empty); // something was drawn

        // The same shape drawn 7 points further right gets its own texture,
        // just as stable.
        auto shifted = stroke;
        for (auto& p : shifted.points.mutableVector()) p.rx() += 7;
        const QImage moved = paint(shifted, kind);
        EXPECT_EQ(paint(shifted, kind), moved);
        QImage translated(once.size(), once.format());
        translated.fill(Qt::transparent);
        QPainter(&translated).drawImage(7, 0, once);
        EXPECT_NE(moved, translated);
    }
}

TEST_F(TexturedStroke, StrokesThatDifferOnlyInOpacityShareTheirStampImages) {
    const auto opaque = stampImage(kWatercolorKind, 12, Color::rgba(0.2, 0.4, 0.6, 1));
    const auto faint = stampImage(kWatercolorKind, 12, Color::rgba(0.2, 0.4, 0.6, 0.25));
    ASSERT_EQ(opaque.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(faint[i].cacheKey(), opaque[i].cacheKey());
    EXPECT_EQ(texturedStampCacheStats().colourEntries, 1u);

    const auto points = std::vector<QPointF>{{30, 60}, {170, 60}};
    const QImage a = paint(texturedStroke(points, 12, Color::rgba(0.2, 0.4, 0.6, 1)), kWatercolorKind);
    const QImage b = paint(texturedStroke(points, 12, Color::rgba(0.2, 0.4, 0.6, 0.25)), kWatercolorKind);
    EXPECT_GT(qAlpha(a.pixel(100, 60)), 2 * qAlpha(b.pixel(100, 60)));
}

TEST_F(TexturedStroke, StampPixelsAreTwiceTheWidthWithin8And384) {
    EXPECT_EQ(stampImage(kChalkKind, 1, Color::red())[0].width(), 8);
    EXPECT_EQ(stampImage(kChalkKind, 10.4, Color::red())[0].width(), 20);
    EXPECT_EQ(stampImage(kWatercolorKind, 192, Color::red())[0].width(), 384);
    EXPECT_EQ(stampCacheKey(kWatercolorKind, 500, Color::red())->size, 384);
    EXPECT_FALSE(stampCacheKey(kChalkKind, std::nan(""), Color::red()));

    // A wide stroke is drawn at its full width from the largest stamps.
    const QImage wide = paint(texturedStroke({{300, 300}}, 500), kWatercolorKind, {600, 600});
    int left = 600, right = 0;
    for (int x = 0; x < 600; ++x) {
        if (qAlpha(wide.pixel(x, 300)) > 0) {
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    EXPECT_GT(right - left, 400);
}

TEST_F(TexturedStroke, TheFortyNinthColourEvictsTheFirstAndMasksAreKeptUncoloured) {
    const auto colour = [](int i) { return Color::rgba(i / 255.0, 0.5, 0.25); };
    for (int i = 0; i < 48; ++i) stampImage(kChalkKind, 4, colour(i));
    const auto first = *stampCacheKey(kChalkKind, 4, colour(0));
    EXPECT_TRUE(texturedStampCacheContains(first));
    EXPECT_EQ(texturedStampCacheStats().maskBuilds, 1u); // every colour was a tint of the same masks

    stampImage(kChalkKind, 4, colour(0)); // a hit does not renew its place
    stampImage(kChalkKind, 4, colour(48));
    EXPECT_FALSE(texturedStampCacheContains(first));
    EXPECT_TRUE(texturedStampCacheContains(*stampCacheKey(kChalkKind, 4, colour(1))));
    EXPECT_EQ(texturedStampCacheStats().colourEntries, 48u);

    const auto tints = texturedStampCacheStats().tintBuilds;
    EXPECT_EQ(stampImage(kChalkKind, 4, colour(0)).size(), 4u);
    EXPECT_EQ(texturedStampCacheStats().tintBuilds, tints + 1);
    EXPECT_EQ(texturedStampCacheStats().maskBuilds, 1u);
}

TEST_F(TexturedStroke, TexturedAndTintedStampsShareOneByteBudget) {
    TestDrawingState t;
    const QUuid id = QUuid::createUuid();
    t->gimpStampCache.insert(id, {roundCell(64)});
    t->tintedStamps(id, Color::red(), 64);
    stampImage(kChalkKind, 64, Color::red());
    stampImage(kWatercolorKind, 64, Color::red());
    const std::size_t used = StampMemoryBudget::shared().byteCount();
    ASSERT_GT(used, 4u * 128 * 128 * 4);

    // Shrinking the budget drops the least recently used first: the tinted cells.
    StampMemoryBudget::shared().setLimit(used - 1);
    EXPECT_LE(StampMemoryBudget::shared().byteCount(), used - 1);
    EXPECT_EQ(t->tintedStampCache.size(), 0u);
    EXPECT_TRUE(texturedStampCacheContains(*stampCacheKey(kWatercolorKind, 64, Color::red())));
}

TEST_F(TexturedStroke, ConcurrentCallersAllGetTheirStamps) {
    std::vector<std::thread> threads;
    std::vector<std::size_t> counts(6);
    for (std::size_t i = 0; i < counts.size(); ++i)
        threads.emplace_back([&, i] { counts[i] = stampImage(kChalkKind, 50, Color::black()).size(); });
    for (auto& th : threads) th.join();
    for (auto c : counts) EXPECT_EQ(c, 4u);
    EXPECT_EQ(texturedStampCacheStats().colourEntries, 1u);
}

TEST(TexturedMasks, WatercolourWashFollowsItsFormulaAtEveryPixel) {
    const int n = 64, variant = 2;
    const auto mask = noiseStamp(n, variant);
    ASSERT_TRUE(mask);
    // The formula written plainly, with atan2 and sines.
    const std::uint64_t a = std::uint64_t(variant) * kHashK, b = a ^ (a >> 33);
    const auto phase = [&](std::uint64_t salt) {
        std::uint64_t z = (b ^ salt) * kHashM;
        z ^= z >> 33;
        return 2 * kPi * unit(z);
    };
    const double phi1 = phase(0x85ebca77), phi2 = phase(0x10bd794ee), c = (n - 1) / 2.0;
    int off = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double x = j - c, y = i - c, theta = std::atan2(y, x);
            const double rho =
                std::hypot(x, y) / ((1 + 0.07 * std::sin(3 * theta + phi1) + 0.05 * std::sin(5 * theta + phi2)) * c);
            int expected = 0;
            if (rho < 1) {
                const double v = 0.46 * std::pow(std::max(0.0, 1 - rho * rho), 1.4) +
                                 0.14 * std::exp(-std::pow((rho - 0.8) / 0.14, 2));
                expected = std::clamp(int(std::min(v, 1.0) * 255), 0, 255);
            }
            const int got = qAlpha(mask->pixel(j, i));
            EXPECT_NEAR(got, expected, 1) << j << "," << i;
            off += got != expected;
        }
    }
    EXPECT_LT(off, n * n / 100);                           // only values on a rounding edge may differ
    EXPECT_EQ(qAlpha(noiseStamp(9, 0)->pixel(4, 4)), 117); // the centre: 0.46 of full
    EXPECT_EQ(noiseStamp(3, 0)->width(), 8);
}

TEST(TexturedMasks, ChalkChipsMatchPlainPathFills) {
    const int n = 48;
    for (int variant : {0, 3}) {
        const auto mask = shapeMask(n, variant);
        ASSERT_TRUE(mask);
        EXPECT_EQ(*shapeMask(n, variant), *mask);

        // Each chip filled as its own path, in the same order.
        QImage reference(n, n, QImage::Format_ARGB32_Premultiplied);
        reference.fill(Qt::transparent);
        QPainter p(&reference);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.translate(0, n);
        p.scale(1, -1);
        const double c = n / 2.0;
        const std::uint64_t S = std::uint64_t(variant) * 104729u;
        for (std::uint64_t i = 0; i < std::uint64_t(std::max(40, n * n / 9)); ++i) {
            const auto u = [&](std::uint64_t j) { return (S + i + j) * kHashK; };
            const double cx =
                c + ((hashUnit(u(101), 0x1f634373e4) + hashUnit(u(977), 0x11c950e3ce) + hashUnit(u(0), 0x191c35f65)) *
                         2 / 3 -
                     1) *
                        c * 0.62;
            const double cy =
                c + ((hashUnit(u(101), 0x217af29dc0) + hashUnit(u(977), 0x13e1000daa) + hashUnit(u(0), 0x3a9728941)) *
                         2 / 3 -
                     1) *
                        c * 0.62;
            const double dist = std::hypot(cx - c, cy - c) / c;
            if (!(dist < 0.95)) continue;
            const double rad = (0.03 + 0.05 * hashUnit(u(0), 0x5c121b31d)) * n;
            const double alpha = (1 - 0.55 * dist * dist) * (0.3 + 0.55 * hashUnit(u(0), 0x6ccf9480b));
            const int m = int(1.99 * hashUnit(u(0), 0x8e4a871e7)) + 5;
            QPainterPath chip;
            for (int q = 0; q < m; ++q) {
                const std::uint64_t w = (31 * i + S + std::uint64_t(q)) * kHashK;
                const double angle = 0.8 * hashUnit(w, 0x9f08006d5) + 2 * kPi * q / m;
                const double radius = (0.55 + 0.7 * hashUnit(w, 0xc082f30b1)) * rad;
                const QPointF corner(cx + std::cos(angle) * radius, cy + std::sin(angle) * radius);
                q == 0 ? chip.moveTo(corner) : chip.lineTo(corner);
            }
            chip.closeSubpath();
            p.fillPath(chip, QColor::fromRgbF(1, 1, 1, float(alpha)));
        }
        p.end();

        double total = 0;
        int worst = 0;
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const int d = std::abs(qAlpha(mask->pixel(x, y)) - qAlpha(reference.pixel(x, y)));
                total += d;
                worst = std::max(worst, d);
            }
        }
        // Anti-aliasing and 8-bit blending differ a little, never in shape.
        EXPECT_LT(total / (n * n), 2.0) << variant;
        EXPECT_LT(worst, 48) << variant;
        EXPECT_EQ(qAlpha(mask->pixel(0, 0)), 0);
        EXPECT_GT(qAlpha(mask->pixel(n / 2, n / 2)), 200);
    }
    EXPECT_NE(*shapeMask(n, 0), *shapeMask(n, 1));
    EXPECT_EQ(shapeMask(2, 0)->width(), 8);
}

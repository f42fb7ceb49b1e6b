#include "brushes/BrushEngine.h"
#include "model/DrawingStroke.h"
#include "model/TintedStampCache.h"
#include "support/BrushStoreFiles.h"
#include "support/TestDrawingState.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

using namespace testing_support;
using namespace brushEngine;

namespace {

constexpr double kPi = std::numbers::pi;

// The raw premultiplied pixel.
QRgb rawPixel(const QImage& image, int x, int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]; }

DrawingStroke brushStroke(std::vector<QPointF> points, double spacing = 25,
                          GIMPCellSelection selection = GIMPCellSelection::sequential) {
    DrawingStroke s;
    s.tool = DrawingTool::gimpBrush;
    s.points = std::move(points);
    s.gimpSpacing = spacing;
    s.gimpCellSelection = selection;
    return s;
}

std::vector<QImage> cells(int count, int side) {
    std::vector<QImage> list;
    for (int i = 0; i < count; ++i) list.push_back(solidCell(side, side));
    return list;
}

std::vector<int> cellIndices(const std::vector<StampPlacement>& stamps) {
    std::vector<int> out;
    for (const auto& s : stamps) out.push_back(s.ci);
    return out;
}

} // namespace

TEST(TintedImage, ColourIsPremultipliedByCoverageAndScaledToTheNearestPixel) {
    QImage mask = solidCell(3, 1, 0);
    mask.scanLine(0)[4 * 1 + 3] = 128;
    mask.scanLine(0)[4 * 2 + 3] = 255;
    const auto tinted = tintedImage(mask, 1.0, 1.0, 0.5, 0.0);
    ASSERT_TRUE(tinted);
    EXPECT_EQ(rawPixel(*tinted, 0, 0), qRgba(0, 0, 0, 0));
    EXPECT_EQ(rawPixel(*tinted, 1, 0), qRgba(128, 64, 0, 128));
    EXPECT_EQ(rawPixel(*tinted, 2, 0), qRgba(255, 128, 0, 255)); // 127.5 rounds away from zero
    // Components beyond 0…1 stay within a byte.
    EXPECT_EQ(rawPixel(*tintedImage(mask, 1.0, 2.0, -1.0, 0.0), 2, 0), qRgba(255, 0, 0, 255));

    EXPECT_EQ(tintedImage(solidCell(10, 4), 0.25, 0, 0, 0)->size(), QSize(3, 1));
    EXPECT_EQ(tintedImage(solidCell(10, 4), 0.001, 0, 0, 0)->size(), QSize(1, 1));
    EXPECT_FALSE(tintedImage(QImage(), 1, 0, 0, 0));
    EXPECT_FALSE(tintedImage(mask, std::nan(""), 0, 0, 0));
    EXPECT_FALSE(tintedImage(mask, INFINITY, 0, 0, 0));
}

TEST(TintedImage, ImagesLargerThan4096OnASideAreRefused) {
    const QImage tall = solidCell(1, 100);
    const auto largest = tintedImage(tall, 40.96, 0, 0, 0);
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->size(), QSize(41, 4096));
    EXPECT_FALSE(tintedImage(tall, 40.97, 0, 0, 0));
    EXPECT_FALSE(tintedImage(solidCell(100, 1), 1e12, 0, 0, 0));
}

TEST(TintedStamps, CellsAreScaledToTheSizeTintedAndCachedByRoundedSizeAndColour) {
    TestDrawingState t;
    const QUuid id = QUuid::createUuid();
    EXPECT_TRUE(t->tintedStamps(id, Color::red(), 10).empty()); // not loaded: nothing cached
    EXPECT_EQ(t->tintedStampCache.size(), 0u);

    t->gimpStampCache.insert(id, {solidCell(40, 20), solidCell(1000, 1000)});
    const auto first = t->tintedStamps(id, Color::red(), 9.6);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].size(), QSize(10, 5)); // the first cell's larger side becomes the size
    EXPECT_EQ(first[1].size(), QSize(240, 240));
    EXPECT_EQ(t->tintedStampCache.keys(), QStringList{uuidText(id) + "_10_255_59_48"});

    // 10.4 rounds to the same key: the cells made for 9.6 come back.
    const auto second = t->tintedStamps(id, Color::red(), 10.4);
    EXPECT_EQ(second[1].cacheKey(), first[1].cacheKey());
    // Only the alpha differs: the same cells.
    EXPECT_EQ(t->tintedStamps(id, Color::red().withAlpha(0.3), 10)[0].cacheKey(), first[0].cacheKey());
    // Below one point the first cell is one pixel.
    EXPECT_EQ(t->tintedStamps(id, Color::black(), 0.3)[0].size(), QSize(1, 1));
    EXPECT_TRUE(t->tintedStampCache.contains(uuidText(id) + "_0_0_0_0"));
    EXPECT_TRUE(t->tintedStamps(id, Color::black(), std::nan("")).empty());
}

TEST(GIMPBrushStamps, OnePointGivesOneUnrotatedStampThatDrawsWithTheColourAlpha) {
    DrawingStroke stroke = brushStroke({{20, 20}});
    stroke.color = Color::rgba(0, 0, 1, 0.5);
    const auto stamps = gimpBrushStamps(stroke, cells(1, 10));
    ASSERT_EQ(stamps.size(), 1u);
    EXPECT_EQ(stamps[0].pos, QPointF(20, 20));
    EXPECT_EQ(stamps[0].angle, 0);
    EXPECT_EQ(stamps[0].alpha, 1);

    QImage canvas(40, 40, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setOpacity(0.8);
    const QTransform before = p.transform();
    drawGIMPBrushStroke(stroke, {*tintedImage(solidCell(10, 10), 1, 0, 0, 1)}, p);
    EXPECT_EQ(p.opacity(), 0.8);
    EXPECT_EQ(p.transform(), before);
    p.end();
    EXPECT_NEAR(qAlpha(rawPixel(canvas, 20, 20)), 0.5 * 0.8 * 255, 2);
    EXPECT_EQ(qBlue(rawPixel(canvas, 20, 20)), qAlpha(rawPixel(canvas, 20, 20)));
    EXPECT_EQ(rawPixel(canvas, 26, 20), 0u);

    EXPECT_TRUE(gimpBrushStamps(brushStroke({}), cells(1, 10)).empty());
    EXPECT_TRUE(gimpBrushStamps(stroke, {}).empty());
}

TEST(GIMPBrushStamps, StepIsTheCellSizeTimesTheSpacingButAtLeastOnePoint) {
    const auto positions = [](const std::vector<StampPlacement>& stamps) {
        std::vector<double> xs;
        for (const auto& s : stamps) xs.push_back(s.pos.x());
        return xs;
    };
    EXPECT_EQ(positions(gimpBrushStamps(brushStroke({{0, 0}, {20, 0}}, 10), cells(1, 40))),
              (std::vector<double>{0, 4, 8, 12, 16, 20}));
    EXPECT_EQ(gimpBrushStamps(brushStroke({{0, 0}, {20, 0}}, 1), cells(1, 40)).size(), 21u);
    // A point no pointer can produce ends the stamping instead of looping for ever.
    EXPECT_EQ(gimpBrushStamps(brushStroke({{0, 0}, {20, 0}, {INFINITY, 0}, {30, 0}}, 1), cells(1, 40)).size(), 21u);
    EXPECT_LE(gimpBrushStamps(brushStroke({{0, 0}, {1e300, 0}}, 1), cells(1, 40)).size(), std::size_t(1) << 20);
    // Not a number: one point too.
    EXPECT_EQ(gimpBrushStamps(brushStroke({{0, 0}, {20, 0}}, std::nan("")), cells(1, 40)).size(), 21u);
}

TEST(GIMPBrushStamps, TheLastFifteenPercentFadeOut) {
    const auto stamps = gimpBrushStamps(brushStroke({{0, 0}, {50, 0}, {100, 0}}, 10), cells(1, 100));
    ASSERT_EQ(stamps.size(), 11u);
    for (int i = 0; i < 11; ++i) EXPECT_DOUBLE_EQ(stamps[std::size_t(i)].pos.x(), 10.0 * i);
    EXPECT_EQ(stamps[8].alpha, 1);
    EXPECT_NEAR(stamps[9].alpha, 0.667, 0.001);
    EXPECT_EQ(stamps[10].alpha, 0);

    // A stroke of one point or less never fades.
    for (const auto& s : gimpBrushStamps(brushStroke({{0, 0}, {1, 0}}, 1), cells(1, 10))) EXPECT_EQ(s.alpha, 1);
}

TEST(GIMPBrushStamps, RepeatedPointsAddNothingAndLeaveTheAnglesAlone) {
    const auto plain = gimpBrushStamps(brushStroke({{0, 0}, {0, 10}, {10, 10}}, 50), cells(1, 10));
    const auto repeated = gimpBrushStamps(brushStroke({{0, 0}, {0, 0}, {0, 10}, {0, 10}, {10, 10}}, 50), cells(1, 10));
    ASSERT_EQ(plain.size(), repeated.size());
    for (std::size_t i = 1; i < plain.size(); ++i) {
        EXPECT_EQ(plain[i].pos, repeated[i].pos);
        EXPECT_EQ(plain[i].angle, repeated[i].angle);
    }
    EXPECT_DOUBLE_EQ(plain[0].angle, kPi / 2);
    EXPECT_EQ(repeated[0].angle, 0); // the first two points coincide: unrotated
}

TEST(GIMPBrushStamps, CellsArePickedByTheSelection) {
    const std::vector<QPointF> line{{0, 0}, {40, 0}};
    EXPECT_EQ(cellIndices(gimpBrushStamps(brushStroke(line, 100, GIMPCellSelection::sequential), cells(3, 10))),
              (std::vector<int>{0, 1, 2, 0, 1}));
    EXPECT_EQ(cellIndices(gimpBrushStamps(brushStroke(line, 100, GIMPCellSelection::constant), cells(3, 10))),
              (std::vector<int>{0, 0, 0, 0, 0}));

    const auto eight = cells(8, 10);
    const auto first = [&](QPointF to) {
        return gimpBrushStamps(brushStroke({{0, 0}, to}, 100, GIMPCellSelection::angular), eight)[1].ci;
    };
    EXPECT_EQ(first({10, 0}), 4);
    EXPECT_EQ(first({0, 10}), 6);
    EXPECT_EQ(first({0, -10}), 2);
    EXPECT_EQ(first({-10, 0}), 0); // an angle of π gives 8, which wraps to 0
    EXPECT_EQ(pickCell(0, eight, brushStroke({}, 25, GIMPCellSelection::angular), kPi), 0);
}

TEST(GIMPBrushStamps, RandomCellsAreTheSameOnEveryRepaintOfAStroke) {
    const auto four = cells(4, 10);
    DrawingStroke stroke = brushStroke({{0, 0}, {300, 0}}, 100, GIMPCellSelection::random);
    const auto picks = cellIndices(gimpBrushStamps(stroke, four));
    ASSERT_EQ(picks.size(), 31u);
    EXPECT_EQ(cellIndices(gimpBrushStamps(stroke, four)), picks);
    EXPECT_EQ(std::set<int>(picks.begin(), picks.end()).size(), 4u);

    DrawingStroke other = stroke;
    other.id = QUuid::createUuid();
    EXPECT_NE(cellIndices(gimpBrushStamps(other, four)), picks);
}

TEST(StampBudget, TheLeastRecentlyUsedEntryOfAnyCacheGoesBeyondTheLimit) {
    EXPECT_EQ(StampMemoryBudget::shared().limit(), std::size_t(64) << 20);

    const std::size_t entry = std::size_t(solidCell(10, 10).sizeInBytes());
    StampMemoryBudget budget(3 * entry);
    TintedStampCache a(budget), b(budget);
    a.insert("k1", {solidCell(10, 10)});
    b.insert("k2", {solidCell(10, 10)});
    a.insert("k3", {solidCell(10, 10)});
    EXPECT_TRUE(a.value("k1")); // now the most recently used
    b.insert("k4", {solidCell(10, 10)});

    EXPECT_EQ(budget.byteCount(), 3 * entry);
    EXPECT_EQ(a.keys(), (QStringList{"k3", "k1"}));
    EXPECT_EQ(b.keys(), QStringList{"k4"});

    // A cache that goes away leaves the budget.
    {
        TintedStampCache c(budget);
        c.insert("k5", {solidCell(10, 10)});
        EXPECT_EQ(budget.byteCount(), 3 * entry);
    }
    EXPECT_EQ(budget.byteCount(), 2 * entry);
}

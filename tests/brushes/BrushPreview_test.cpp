#include "brushes/BrushEngine.h"
#include "support/BrushStoreFiles.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace testing_support;
using namespace brushEngine;

namespace {

// Rows and columns holding a pixel darker than white.
QRect inkBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qRed(image.pixel(x, y)) < 250) bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace

TEST(BrushPreview, NothingWithoutCellsOrSize) {
    EXPECT_FALSE(renderBrushPreview({}, GIMPCellSelection::sequential, {416, 76}));
    EXPECT_FALSE(renderBrushPreview({solidCell(8, 8)}, GIMPCellSelection::sequential, {0, 76}));
    EXPECT_FALSE(renderBrushPreview({solidCell(8, 8)}, GIMPCellSelection::sequential, {416, -1}));
    EXPECT_FALSE(renderBrushPreview({QImage()}, GIMPCellSelection::sequential, {416, 76}));
}

TEST(BrushPreview, BlackStampsAlongAWaveOnOpaqueWhite) {
    const auto preview = renderBrushPreview({roundCell(12)}, GIMPCellSelection::sequential, {416, 76});
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->size(), QSize(416, 76));
    EXPECT_EQ(preview->pixel(0, 0), qRgba(255, 255, 255, 255));
    EXPECT_EQ(preview->pixel(415, 75), qRgba(255, 255, 255, 255));
    const QRgb ink = preview->pixel(208, 38); // the wave crosses the middle
    EXPECT_LT(qRed(ink), 100);
    EXPECT_EQ(qRed(ink), qBlue(ink));
    EXPECT_EQ(qAlpha(ink), 255);

    // The wave rises first: a quarter along it is in the upper half.
    const QImage start = preview->copy(60, 0, 60, 76);
    EXPECT_LT(inkBounds(start).center().y(), 38);
}

TEST(BrushPreview, LargeCellsShrinkToFortyPercentOfTheHeightSmallOnesKeepTheirSize) {
    // The wave spans twice its amplitude (0.25 × 76) plus one stamp.
    const QRect big = inkBounds(*renderBrushPreview({roundCell(200)}, GIMPCellSelection::constant, {416, 76}));
    const QRect small = inkBounds(*renderBrushPreview({roundCell(10)}, GIMPCellSelection::constant, {416, 76}));
    EXPECT_NEAR(big.height(), 38 + 0.4 * 76, 4);
    EXPECT_NEAR(small.height(), 38 + 10, 4);
}

TEST(BrushPreview, StampsFadeInAndOutAndPickCellsByTheSelection) {
    const auto stamps = previewStamps(3, GIMPCellSelection::sequential, 10, {416, 76});
    ASSERT_GT(stamps.size(), 100u);
    EXPECT_EQ(stamps.front().alpha, 0);
    EXPECT_LT(stamps.back().alpha, 0.1);
    EXPECT_EQ(stamps[stamps.size() / 2].alpha, 1);
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(stamps[i].ci, int(i % 3));
    // A stamp every tenth of the cell, along two periods starting at the left margin.
    EXPECT_NEAR(std::hypot(stamps[1].pos.x() - stamps[0].pos.x(), stamps[1].pos.y() - stamps[0].pos.y()), 1.0, 0.01);
    EXPECT_DOUBLE_EQ(stamps[0].pos.x(), 0.05 * 76 + 5);
    EXPECT_DOUBLE_EQ(stamps[0].pos.y(), 38);

    for (const auto& s : previewStamps(3, GIMPCellSelection::constant, 10, {416, 76})) EXPECT_EQ(s.ci, 0);

    // Only the first cell of a constant brush shows.
    const auto firstBlank =
        renderBrushPreview({solidCell(8, 8, 0), solidCell(8, 8)}, GIMPCellSelection::constant, {200, 40});
    EXPECT_FALSE(inkBounds(*firstBlank).isValid());
}

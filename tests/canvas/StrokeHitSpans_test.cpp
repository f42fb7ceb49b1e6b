// The hit test as pixel spans: exactly the pixels the hit test accepts.
#include "canvas/StrokeHitSpans.h"

#include "model/StrokeHitIndex.h"
#include "support/RandomStrokes.h"
#include "support/TestStrokes.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace testing_support;

namespace {

// Every pixel around the stroke's extent is compared with the hit test; the
// first few disagreements are reported.
void expectSpansAreTheHitTest(const DrawingStroke& s, double scale = 1.0) {
    const auto spans = strokeHitSpans(s, scale);
    std::set<std::pair<int, int>> in;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const PixelSpan& p = spans[i];
        ASSERT_LT(p.x0, p.x1);
        if (i > 0) {
            const PixelSpan& q = spans[i - 1];
            ASSERT_TRUE(q.y < p.y || (q.y == p.y && q.x1 < p.x0)) << "sorted, apart";
        }
        for (int x = p.x0; x < p.x1; ++x) in.insert({x, p.y});
    }
    QRectF area = hitExtent(s).translated(s.offset.width(), s.offset.height());
    if (area.isNull()) {
        EXPECT_TRUE(spans.empty());
        return;
    }
    area = QRectF(area.left() / scale, area.top() / scale, area.width() / scale, area.height() / scale)
               .adjusted(-3, -3, 3, 3);
    int wrong = 0;
    for (int y = int(std::floor(area.top())); y <= int(std::ceil(area.bottom())); ++y) {
        for (int x = int(std::floor(area.left())); x <= int(std::ceil(area.right())); ++x) {
            const bool expected = strokeHitTest(s, QPointF(x * scale, y * scale));
            if (expected != (in.count({x, y}) > 0) && ++wrong <= 5)
                ADD_FAILURE() << rawValueText(s.tool).toStdString() << " at (" << x << ", " << y << "): hit test says "
                              << expected;
        }
    }
    EXPECT_EQ(wrong, 0);
}

} // namespace

TEST(StrokeHitSpans, RandomStrokesOfEveryKindCoverExactlyTheirHitPixels) {
    std::mt19937 rng(2024);
    for (int i = 0; i < 64; ++i) {
        DrawingStroke s = randomStroke(mixedTool(i), rng, QSizeF(800, 600), 20 + i % 40);
        if (i % 5 == 0) s.offset = QSizeF(30.25, -12.5);
        SCOPED_TRACE(i);
        expectSpansAreTheHitTest(s);
    }
    std::mt19937 polygons(9);
    for (DrawingTool tool : {DrawingTool::diamond, DrawingTool::hexagon, DrawingTool::octagon, DrawingTool::seal,
                             DrawingTool::ellipse, DrawingTool::chalk, DrawingTool::gimpBrush}) {
        expectSpansAreTheHitTest(randomStroke(tool, polygons, QSizeF(800, 600), 30));
    }
}

TEST(StrokeHitSpans, EdgesOnWholePixelsFollowTheStrictTolerance) {
    // Whole-pixel geometry puts band edges exactly on pixels: a pixel at
    // distance 12 from a width-4 stroke is out.
    const auto line = penStroke({{100, 100}, {300, 100}}, 4);
    const auto spans = strokeHitSpans(line);
    ASSERT_FALSE(spans.empty());
    EXPECT_EQ(spans.front().y, 89);
    EXPECT_EQ(spans.back().y, 111);
    expectSpansAreTheHitTest(line);
    expectSpansAreTheHitTest(framedStroke(DrawingTool::rectangle, {100, 100}, {300, 220}));
    expectSpansAreTheHitTest(framedStroke(DrawingTool::ellipse, {100, 100}, {300, 220}));
    expectSpansAreTheHitTest(framedStroke(DrawingTool::ellipse, {100, 100}, {112, 300}, 30));
    expectSpansAreTheHitTest(framedStroke(DrawingTool::triangle, {0, 0}, {64, 64}));
    expectSpansAreTheHitTest(penStroke({{50, 50}}, 8));
    expectSpansAreTheHitTest(penStroke({{50, 50}, {50, 50}, {51, 90}}, 8));
    auto curve = framedStroke(DrawingTool::arrow, {0, 0}, {400, 0});
    curve.controlPoint = QPointF(200, 200);
    expectSpansAreTheHitTest(curve);
}

TEST(StrokeHitSpans, StrokesThatCannotBeHitHaveNoSpansAndScaleShrinksThem) {
    EXPECT_TRUE(strokeHitSpans(framedStroke(DrawingTool::ellipse, {10, 10}, {200, 10})).empty()) << "flat";
    EXPECT_TRUE(strokeHitSpans(framedStroke(DrawingTool::eraser, {10, 10}, {200, 10})).empty());
    EXPECT_TRUE(strokeHitSpans(penStroke({}, 4)).empty());
    // Two device pixels per point: twice the rows.
    const auto line = penStroke({{100, 100}, {300, 100}}, 4);
    expectSpansAreTheHitTest(line, 0.5);
    EXPECT_EQ(strokeHitSpans(line, 0.5).size(), 2 * strokeHitSpans(line).size() + 1);
}

TEST(StrokeHitSpans, TheCacheKeepsAStrokesSpansUntilItChanges) {
    StrokeHitSpanCache cache;
    auto s = penStroke({{10, 10}, {90, 40}}, 4);
    const SharedSpans first = cache.spans(s, 1.0);
    const auto copy = *first;
    EXPECT_EQ(cache.spans(s, 1.0), first) << "the same list";
    s.offset = QSizeF(100, 0);
    const auto moved = *cache.spans(s, 1.0);
    ASSERT_EQ(moved.size(), copy.size());
    EXPECT_EQ(moved.front().x0, copy.front().x0 + 100);
    const auto other = penStroke({{0, 0}, {5, 5}}, 4);
    cache.spans(other, 1.0);
    cache.keepOnly({s});
    EXPECT_EQ(cache.size(), 1u) << "a stroke no longer placed is forgotten";
    EXPECT_EQ(*cache.spans(s, 1.0), moved);
}

#include "model/StrokeHitIndex.h"
#include "model/StrokeText.h"
#include "support/TestDrawingState.h"
#include "support/TestStrokes.h"

#include <gtest/gtest.h>

#include <random>

using namespace testing_support;

namespace {

DrawingStroke textStrokeAt(QPointF a, QPointF b, QString text, double size, double rotation = 0) {
    DrawingStroke s = framedStroke(DrawingTool::text, a, b);
    s.text = std::move(text);
    s.explicitFontSize = size;
    s.rotationDegrees = rotation;
    return s;
}

void place(TestDrawingState& t, DrawingStroke s, platform::DisplayID display) {
    s.displayID = display;
    t->strokes.modify([&](auto& list) { list.push_back(s); });
}

} // namespace

TEST(StrokeHitTest, ToleranceGrowsWithWidthAndItsBoundaryIsNoHit) {
    EXPECT_EQ(hitTolerance(4), 12);
    EXPECT_EQ(hitTolerance(20), 18);
    const auto thin = penStroke({{0, 0}, {100, 0}}, 4);
    EXPECT_FALSE(strokeHitTest(thin, {50, 12}));
    EXPECT_TRUE(strokeHitTest(thin, {50, 11.99}));
    EXPECT_FALSE(strokeHitTest(thin, {112, 0})); // beyond the end, measured to the end
    const auto wide = penStroke({{0, 0}, {100, 0}}, 20);
    EXPECT_FALSE(strokeHitTest(wide, {50, 18}));
    EXPECT_TRUE(strokeHitTest(wide, {50, 17.99}));
}

TEST(StrokeHitTest, FreehandToolsAreTestedAlongTheirSampledPolyline) {
    EXPECT_TRUE(strokeHitTest(penStroke({{10, 10}}), {10, 21.9})); // a dot
    EXPECT_FALSE(strokeHitTest(penStroke({}), {0, 0}));
    // A bezier path is tested along its anchors' polyline, not its curves.
    DrawingStroke bez = penStroke({{0, 0}, {100, 0}});
    bez.tool = DrawingTool::bezierPen;
    bez.customVertices = bez.points;
    bez.bezierHandleOut = std::vector<QPointF>{{30, 80}, {0, 0}};
    bez.bezierHandleIn = std::vector<QPointF>{{0, 0}, {-30, 80}};
    EXPECT_TRUE(strokeHitTest(bez, {50, 5}));
    EXPECT_FALSE(strokeHitTest(bez, {50, 60}));
    for (DrawingTool t : {DrawingTool::move, DrawingTool::eraser}) {
        DrawingStroke s = penStroke({{0, 0}, {100, 0}});
        s.tool = t;
        EXPECT_FALSE(strokeHitTest(s, {50, 0})) << rawValue(t);
    }
}

TEST(StrokeHitTest, ShapesAreHitOnTheirOutlineOnly) {
    const auto rect = framedStroke(DrawingTool::rectangle, {300, 300}, {100, 100});
    EXPECT_FALSE(strokeHitTest(rect, {200, 200})); // the inside
    EXPECT_TRUE(strokeHitTest(rect, {95, 200}));   // 5 outside the left edge
    EXPECT_TRUE(strokeHitTest(rect, {200, 305}));

    const auto tri = framedStroke(DrawingTool::triangle, {0, 0}, {100, 100});
    EXPECT_TRUE(strokeHitTest(tri, {50, 76})); // the bottom edge lies at y = 75
    EXPECT_FALSE(strokeHitTest(tri, {50, 50}));
    // The closing edge runs from the last vertex back to the first.
    auto open = framedStroke(DrawingTool::triangle, {0, 0}, {1, 1});
    open.customVertices = std::vector<QPointF>{{0, 0}, {100, 0}, {100, 100}};
    EXPECT_TRUE(strokeHitTest(open, {50, 50}));

    // A flat ellipse is never hit, not even on its line.
    EXPECT_FALSE(strokeHitTest(framedStroke(DrawingTool::ellipse, {0, 50}, {200, 50}), {100, 50}));
    // The band is normalised to the shorter radius: at the end of the long
    // axis it reaches tol × rx / ry, beyond the plain tolerance.
    const auto ell = framedStroke(DrawingTool::ellipse, {0, 0}, {400, 100}); // rx 200, ry 50
    EXPECT_TRUE(strokeHitTest(ell, {400 + 40, 50}));
    EXPECT_FALSE(strokeHitTest(ell, {400 + 49, 50}));
    EXPECT_FALSE(strokeHitTest(ell, {200, 50}));
}

TEST(StrokeHitTest, CurvedLinesAreHitNearTheirTwentyOneSamplesOnly) {
    auto curve = framedStroke(DrawingTool::arrow, {0, 0}, {4000, 0});
    curve.controlPoint = QPointF(2000, 0); // a straight curve, samples 200 apart
    EXPECT_TRUE(strokeHitTest(curve, {2000, 5}));
    EXPECT_FALSE(strokeHitTest(curve, {2100, 0})); // on the curve, between samples
    curve.controlPoint.reset();
    EXPECT_TRUE(strokeHitTest(curve, {2100, 0}));
}

TEST(StrokeHitTest, AnUnbakedOffsetIsHonoured) {
    auto s = penStroke({{0, 0}, {100, 0}});
    s.offset = QSizeF(100, 0);
    EXPECT_TRUE(strokeHitTest(s, {190, 0}));
    EXPECT_FALSE(strokeHitTest(s, {10, 0}));

    TestDrawingState t;
    place(t, s, 1);
    EXPECT_TRUE(t->hasStroke({190, 0}, 1));
    EXPECT_FALSE(t->hasStroke({10, 0}, 1));
}

TEST(StrokeHitTest, TextIsHitOnlyOnItsMeasuredLinesAlsoRotated) {
    const auto s = textStrokeAt({100, 100}, {500, 300}, QStringLiteral("Note\n\nlonger third line"), 24);
    const auto layout = layoutText(s);
    ASSERT_EQ(layout.lines.size(), 2u);
    EXPECT_TRUE(strokeHitTest(s, layout.lines[0].rect.center()));
    EXPECT_FALSE(strokeHitTest(s, {layout.lines[0].rect.right() + 30, layout.lines[0].rect.center().y()}));
    EXPECT_FALSE(strokeHitTest(s, {110, 104 + 1.3 * 24 + 10})); // the empty line
    EXPECT_FALSE(strokeHitTest(s, {300, 200 + 80}));            // inside the box, below the text

    const auto turned = textStrokeAt({100, 100}, {500, 300}, QStringLiteral("Note"), 24, 90);
    const QPointF drawn = layoutText(turned).transform().map(layoutText(turned).lines[0].rect.center());
    EXPECT_TRUE(strokeHitTest(turned, drawn));
    EXPECT_FALSE(strokeHitTest(turned, layoutText(turned).lines[0].rect.center()));

    TestDrawingState t;
    place(t, turned, 1);
    EXPECT_TRUE(t->hasStroke(drawn, 1));
    EXPECT_FALSE(t->hasStroke(layoutText(turned).lines[0].rect.center(), 1));
    EXPECT_FALSE(strokeHitTest(textStrokeAt({0, 0}, {300, 100}, QString(), 20), {10, 10}));
}

TEST(StrokeHitTest, EveryHitLiesInsideTheHitExtent) {
    // The overlay passes strokes by on their extent; one that is too tight
    // would let the pointer fall through a visible stroke.
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> coord(0, 200), width(1, 40);
    std::vector<DrawingStroke> strokes;
    for (DrawingTool tool : kAllDrawingTools) {
        for (int k = 0; k < 6; ++k) {
            DrawingStroke s = framedStroke(tool, {coord(rng), coord(rng)}, {coord(rng), coord(rng)}, width(rng));
            if (isFreehandTool(tool))
                s.points = {{coord(rng), coord(rng)}, {coord(rng), coord(rng)}, {coord(rng), coord(rng)}};
            if (isLineTool(tool) && k % 2) s.controlPoint = QPointF(coord(rng), coord(rng));
            if (tool == DrawingTool::text) {
                s.text = QStringLiteral("Hit\nme");
                s.rotationDegrees = k * 35;
            }
            strokes.push_back(s);
        }
    }
    // Very flat ellipses reach furthest beyond their frame.
    strokes.push_back(framedStroke(DrawingTool::ellipse, {0, 90}, {200, 94}, 2));
    int hits = 0;
    std::uniform_real_distribution<double> probe(-120, 320);
    for (const auto& s : strokes) {
        const QRectF e = hitExtent(s);
        for (int i = 0; i < 1500; ++i) {
            const QPointF p(probe(rng), probe(rng));
            if (!strokeHitTest(s, p)) continue;
            ++hits;
            ASSERT_TRUE(p.x() >= e.left() && p.x() <= e.right() && p.y() >= e.top() && p.y() <= e.bottom())
                << rawValue(s.tool) << " at " << p.x() << "," << p.y();
        }
    }
    EXPECT_GT(hits, 1000);
}

TEST(HasStroke, OnlyTheAskingOverlaysStrokesTakeThePointer) {
    TestDrawingState t(twoScreens());
    place(t, penStroke({{0, 0}, {100, 0}}), 2);
    EXPECT_TRUE(t->hasStroke({50, 0}, 2));
    EXPECT_FALSE(t->hasStroke({50, 0}, 1)); // same local coordinates, other display
    // A stroke stamped 0 belongs to the first screen.
    place(t, penStroke({{0, 300}, {100, 300}}), 0);
    EXPECT_TRUE(t->hasStroke({50, 300}, 1));
    EXPECT_FALSE(t->hasStroke({50, 300}, 2));
    EXPECT_FALSE(t->hasStroke({50, 500}, 1));
}

TEST(HasStroke, FollowsEveryChangeOfTheStrokes) {
    TestDrawingState t;
    EXPECT_FALSE(t->hasStroke({50, 0}, 1));
    t->addStroke(penStroke({{0, 0}, {100, 0}}));
    EXPECT_TRUE(t->hasStroke({50, 0}, 1));
    // Moving the stroke in place.
    t->strokes.modify([](auto& l) { l[0].points = {{0, 400}, {100, 400}}; });
    EXPECT_FALSE(t->hasStroke({50, 0}, 1));
    EXPECT_TRUE(t->hasStroke({50, 400}, 1));
    t->undo();
    EXPECT_FALSE(t->hasStroke({50, 400}, 1));
    t->redo(); // brings the stroke back as it was committed
    EXPECT_TRUE(t->hasStroke({50, 0}, 1));
    t->clearAll();
    EXPECT_FALSE(t->hasStroke({50, 0}, 1));
    // A list stored without notice still never reads past the extents.
    t->strokes.setSilently({penStroke({{0, 0}, {10, 0}}), penStroke({{0, 700}, {10, 700}})});
    EXPECT_TRUE(t->hasStroke({5, 700}, 1));
}

TEST(HasStroke, AnObserverAskingBeforeTheChangeIsStoredSeesItAfterwards) {
    TestDrawingState t;
    place(t, penStroke({{0, 0}, {100, 0}}), 1);
    std::vector<bool> seen;
    auto sub = t->strokes.sink(
        [&](const auto&) {
            seen.push_back(t->hasStroke({50, 0}, 1));
        },
        platform::Delivery::Immediate, platform::Initial::Skip);
    t->strokes.set({penStroke({{0, 500}, {100, 500}})});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0]); // the old list is still in place during the notice
    EXPECT_FALSE(t->hasStroke({50, 0}, 1));
    EXPECT_TRUE(t->hasStroke({50, 500}, 1));
    // The same with an empty list.
    t->strokes.set({});
    EXPECT_FALSE(t->hasStroke({50, 500}, 1));
}

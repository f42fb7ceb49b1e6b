#include "geometry/AirbrushGeometry.h"
#include "model/Algorithms.h"
#include "model/DrawingTool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

double dist(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

void expectPoint(QPointF actual, QPointF expected, double eps = 1e-9) {
    EXPECT_NEAR(actual.x(), expected.x(), eps) << "x";
    EXPECT_NEAR(actual.y(), expected.y(), eps) << "y";
}

std::vector<double> linkLengths(const std::vector<QPointF>& p) {
    std::vector<double> l;
    for (std::size_t i = 0; i + 1 < p.size(); ++i) l.push_back(dist(p[i], p[i + 1]));
    return l;
}

// A wavy stroke of n points, about 5 px apart.
std::vector<QPointF> wave(int n) {
    std::vector<QPointF> p;
    for (int i = 0; i < n; ++i) p.emplace_back(i * 5.0, 20 * std::sin(i * 0.3));
    return p;
}

} // namespace

TEST(DistanceToSegment, ClampsToTheEndsAndHandlesADegenerateSegment) {
    EXPECT_DOUBLE_EQ(distanceToSegment({3, 4}, {0, 0}, {0, 0}), 5);
    EXPECT_DOUBLE_EQ(distanceToSegment({5, 3}, {0, 0}, {10, 0}), 3);
    // Beyond b the distance is to b, not to the infinite line.
    EXPECT_DOUBLE_EQ(distanceToSegment({13, 4}, {0, 0}, {10, 0}), 5);
    EXPECT_DOUBLE_EQ(distanceToSegment({-3, -4}, {0, 0}, {10, 0}), 5);
}

TEST(ShapeGeometry, RegularPolygonsStartWhereTheirAnglesSay) {
    const QRectF r(0, 0, 100, 100);
    const auto tri = regularPolygonVertices(3, r, -kPi / 2);
    ASSERT_EQ(tri.size(), 3u);
    expectPoint(tri[0], {50, 0}); // y grows downward: −π/2 is the top centre
    const auto hex = regularPolygonVertices(6, r, 0);
    ASSERT_EQ(hex.size(), 6u);
    expectPoint(hex[0], {100, 50});
    // A wide rectangle stretches the shape instead of fitting a circle.
    const auto wide = regularPolygonVertices(4, QRectF(0, 0, 200, 100), 0);
    expectPoint(wide[0], {200, 50});
    expectPoint(wide[1], {100, 100});
    EXPECT_TRUE(regularPolygonVertices(0, r, 0).empty());
    EXPECT_TRUE(regularPolygonVertices(-3, r, 0).empty());
}

TEST(ShapeGeometry, StarAlternatesOuterPointsAndInnerNotches) {
    const auto star = starVertices(5, QRectF(0, 0, 100, 100), 0.382, -kPi / 2);
    ASSERT_EQ(star.size(), 10u);
    expectPoint(star[0], {50, 0});
    for (std::size_t i = 0; i < star.size(); ++i) {
        EXPECT_NEAR(dist(star[i], {50, 50}), i % 2 == 0 ? 50 : 19.1, 1e-9) << i;
    }
    EXPECT_TRUE(starVertices(-1, QRectF(0, 0, 10, 10), 0.5, 0).empty());
}

TEST(ShapeGeometry, PolygonEdgeProximityIncludesTheClosingEdgeButNotTheInside) {
    const std::vector<QPointF> tri{{0, 0}, {100, 0}, {0, 100}};
    EXPECT_TRUE(isNearPolygonEdge({50, -5}, tri, 12));
    EXPECT_TRUE(isNearPolygonEdge({55, 55}, tri, 12)); // the diagonal closing edge
    EXPECT_TRUE(isNearPolygonEdge({-5, 50}, tri, 12));
    EXPECT_FALSE(isNearPolygonEdge({25, 25}, tri, 12));
    // The comparison is strict.
    EXPECT_FALSE(isNearPolygonEdge({50, -12}, tri, 12));
    EXPECT_TRUE(isNearPolygonEdge({50, -11.999}, tri, 12));
    EXPECT_FALSE(isNearPolygonEdge({0, 0}, {{0, 0}}, 12));
    // Two vertices: the one segment, tested both ways.
    EXPECT_TRUE(isNearPolygonEdge({50, 3}, {{0, 0}, {100, 0}}, 12));
}

TEST(Smoothing, GrowingChaikinMatchesTheWholePathAtEveryStepAndAfterARestart) {
    GrowingChaikinSmooth growing;
    std::vector<QPointF> path;
    unsigned seed = 7;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return double((seed >> 8) % 1000) / 10.0;
    };
    for (int round = 0; round < 3; ++round) {
        // A new drag: the path starts over (at the same point in round 2).
        path.clear();
        for (int i = 0; i < 120; ++i) {
            path.emplace_back(round == 2 && i == 0 ? 0.0 : next(), next());
            const auto& smoothed = growing.update(path);
            ASSERT_EQ(smoothed, chaikinSmooth(path, 2)) << "round " << round << ", " << path.size() << " points";
        }
        // Asked again with nothing new: the same points.
        EXPECT_EQ(growing.update(path), chaikinSmooth(path, 2));
    }
    // A shorter path is smoothed afresh.
    path.resize(3);
    EXPECT_EQ(growing.update(path), chaikinSmooth(path, 2));
}

TEST(Smoothing, ChaikinDoublesThePointsPerIterationAndKeepsTheEnds) {
    const std::vector<QPointF> in{{0, 0}, {100, 0}, {100, 100}};
    const auto once = chaikinSmooth(in, 1);
    ASSERT_EQ(once.size(), 6u);
    expectPoint(once[1], {25, 0});
    expectPoint(once[2], {75, 0});
    expectPoint(once[3], {100, 25});
    const auto twice = chaikinSmooth(in, 2);
    ASSERT_EQ(twice.size(), 12u);
    EXPECT_EQ(twice.front(), in.front());
    EXPECT_EQ(twice.back(), in.back());

    EXPECT_EQ(chaikinSmooth(in, 0), in);
    EXPECT_EQ(chaikinSmooth(in, -2), in);
    EXPECT_TRUE(chaikinSmooth({}, 2).empty());
    EXPECT_EQ(chaikinSmooth({{7, 8}}, 1), (std::vector<QPointF>{{7, 8}, {7, 8}}));
}

TEST(Smoothing, SplinesSampleEverySegmentAndReachTheLastParameter) {
    const std::vector<QPointF> two{{0, 0}, {60, 30}};
    const std::vector<QPointF> one{{4, 5}};
    for (auto smooth : {bSplineSmooth, catmullRomSmooth}) {
        EXPECT_EQ(smooth(two, 6).size(), 7u);
        EXPECT_EQ(smooth(one, 6), one);
        EXPECT_EQ(smooth(wave(10), 6).size(), 9u * 6 + 1);
        EXPECT_EQ(smooth(two, 0), two);
    }
}

TEST(Smoothing, BSplineApproximatesWhileCatmullRomInterpolates) {
    const std::vector<QPointF> in{{0, 0}, {60, 0}, {60, 60}, {0, 60}};
    const auto b = bSplineSmooth(in, 6);
    expectPoint(b.front(), (in[0] * 5 + in[1]) / 6);
    expectPoint(b.back(), (in[2] + in[3] * 5) / 6);

    const auto c = catmullRomSmooth(in, 6);
    ASSERT_EQ(c.size(), 19u);
    for (std::size_t i = 0; i < in.size(); ++i) expectPoint(c[i * 6], in[i]);
    // Between its knots the curve bulges outward past the chord, its
    // tangents taken from the neighbours.
    expectPoint(c[9], {67.5, 30});
}

TEST(DragStrokeEnd, KeepsTheAnchorExactlyAndTheLinkLengths) {
    const auto in = wave(40);
    const QPointF target(150, 60);
    const auto out = dragStrokeEnd(in, false, target);
    ASSERT_EQ(out.size(), in.size());
    EXPECT_EQ(out.front(), in.front()); // exactly, not nearly
    const auto before = linkLengths(in), after = linkLengths(out);
    for (std::size_t i = 0; i < before.size(); ++i) EXPECT_NEAR(after[i], before[i], 1e-6) << i;
    EXPECT_LT(dist(out.back(), target), 8);

    // Dragging the start anchors the last point.
    const auto fromStart = dragStrokeEnd(in, true, {40, 80});
    EXPECT_EQ(fromStart.back(), in.back());
    EXPECT_LT(dist(fromStart.front(), {40, 80}), 8);
}

TEST(DragStrokeEnd, OutOfReachStraightensTowardsTheTarget) {
    const std::vector<QPointF> in{{0, 0}, {10, 0}, {10, 30}}; // links 10 and 30, total 40
    // The chain reaches the target, its joints spaced in proportion to the links.
    const auto out = dragStrokeEnd(in, false, {0, 100});
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], in[0]);
    expectPoint(out[1], {0, 25});
    expectPoint(out[2], {0, 100});

    const auto reversed = dragStrokeEnd(in, true, {10, -70}); // anchor (10, 30), 100 away
    EXPECT_EQ(reversed[2], in[2]);
    expectPoint(reversed[1], {10, -45});
    expectPoint(reversed[0], {10, -70});
}

TEST(DragStrokeEnd, LeavesDegenerateStrokesAlone) {
    const std::vector<QPointF> dot{{5, 5}};
    EXPECT_EQ(dragStrokeEnd(dot, false, {50, 50}), dot);
    const std::vector<QPointF> stacked{{5, 5}, {5, 5}, {5, 5}};
    EXPECT_EQ(dragStrokeEnd(stacked, false, {50, 50}), stacked);
}

TEST(BlobPath, IsSeededDeterministicAndHasEightCurves) {
    const auto a = blobPath(7, {100, 100}, 10);
    EXPECT_EQ(a, blobPath(7, {100, 100}, 10));
    EXPECT_NE(a, blobPath(8, {100, 100}, 10));
    int curves = 0;
    for (int i = 0; i < a.elementCount(); ++i) curves += a.elementAt(i).type == QPainterPath::CurveToElement;
    EXPECT_EQ(curves, 8);
    EXPECT_EQ(a.elementAt(0).type, QPainterPath::MoveToElement);

    // Seed 0: the first lobe has no spike, 0.544 radii out, jittered upward.
    const auto z = blobPath(0, {0, 0}, 100);
    // The quad's control point is the lobe; Qt stores quads as cubics, so
    // recover it from the first cubic control: c1 = p0 + 2/3 (ctrl − p0).
    const QPointF p0 = z.elementAt(0);
    const QPointF c1 = z.elementAt(1);
    expectPoint(p0 + (c1 - p0) * 1.5, {54.1073, -5.8802}, 1e-3);
}

TEST(BlobPath, NegativeAndExtremeSeedsWrapAroundInsteadOfOverflowing) {
    // Seed −1 gives a spike of 2.93 radii on its second lobe.
    const auto b = blobPath(-1, {0, 0}, 10);
    EXPECT_LE(b.boundingRect().right(), 10 * kBlobMaxReach);
    EXPECT_NEAR(b.boundingRect().bottom(), 17.8, 2.0); // the spike pulls the outline down-right
    const auto extreme = blobPath(std::numeric_limits<std::int64_t>::max(), {0, 0}, 10);
    EXPECT_EQ(extreme, blobPath(std::numeric_limits<std::int64_t>::max(), {0, 0}, 10));
    for (std::int64_t seed : {std::numeric_limits<std::int64_t>::min(), std::int64_t{-1}, std::int64_t{12345}}) {
        const QRectF r = blobPath(seed, {0, 0}, 10).boundingRect();
        EXPECT_LE(std::max({-r.left(), r.right(), -r.top(), r.bottom()}), 10 * kBlobMaxReach) << seed;
    }
}

TEST(ShapeGeometry, ShapeVerticesOfEachPolygonTool) {
    const QRectF r(0, 0, 100, 100);
    EXPECT_EQ(shapeVertices(DrawingTool::triangle, r)->size(), 3u);
    expectPoint(shapeVertices(DrawingTool::triangle, r)->front(), {50, 0});
    expectPoint(shapeVertices(DrawingTool::diamond, r)->front(), {50, 0});
    expectPoint(shapeVertices(DrawingTool::pentagon, r)->front(), {50, 0});
    expectPoint(shapeVertices(DrawingTool::hexagon, r)->front(), {100, 50});
    // The octagon starts at −5π/8, so its first edge is the flat top.
    const auto oct = *shapeVertices(DrawingTool::octagon, r);
    ASSERT_EQ(oct.size(), 8u);
    expectPoint(oct[0], {50 + 50 * std::cos(-5 * kPi / 8), 50 + 50 * std::sin(-5 * kPi / 8)});
    EXPECT_NEAR(oct[0].y(), oct[1].y(), 1e-9);
    EXPECT_LT(oct[0].y(), 50);
    const auto seal = *shapeVertices(DrawingTool::seal, r);
    ASSERT_EQ(seal.size(), 16u);
    EXPECT_NEAR(dist(seal[1], {50, 50}), 27.5, 1e-9);
    const auto star = *shapeVertices(DrawingTool::star, r);
    ASSERT_EQ(star.size(), 10u);
    EXPECT_NEAR(dist(star[1], {50, 50}), 19.1, 1e-9);
    for (DrawingTool t : {DrawingTool::pen, DrawingTool::rectangle, DrawingTool::ellipse, DrawingTool::text}) {
        EXPECT_FALSE(shapeVertices(t, r)) << rawValue(t);
    }
}

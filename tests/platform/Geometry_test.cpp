#include "platform/Geometry.h"

#include <gtest/gtest.h>

using platform::Point;
using platform::Rect;

TEST(Rect, ContainsIsHalfOpen) {
    const Rect r(0, 0, 10, 10);
    EXPECT_TRUE(r.contains(Point{0, 0}));
    EXPECT_TRUE(r.contains(Point{9.999, 9.999}));
    EXPECT_FALSE(r.contains(Point{10, 5}));
    EXPECT_FALSE(r.contains(Point{5, 10}));
    EXPECT_FALSE(r.contains(Point{-0.001, 5}));
    EXPECT_FALSE(Rect::null().contains(Point{0, 0}));
}

TEST(Rect, ThePointerIsInsideWhenItsPixelIs) {
    // A display 100 high with a 24-row panel along its top: the visible
    // frame is rows 24-99, y up 0-76. The pointer on row 24 reports y 76.
    const QRect primary(0, 0, 200, 100);
    const Rect visible = platform::toScreen(QRectF(0, 24, 200, 76), primary);
    const auto onRow = [&](int row) { return platform::toScreen(QPointF(50, row), primary); };
    EXPECT_FALSE(visible.containsPointer(onRow(23)));
    EXPECT_TRUE(visible.containsPointer(onRow(24)));
    EXPECT_TRUE(visible.containsPointer(onRow(99)));
    EXPECT_FALSE(visible.containsPointer(onRow(100)));
    EXPECT_FALSE(visible.contains(onRow(24))) << "as a point, the row's corner lies on the frame's top edge";
    // Columns are counted the same way in both.
    EXPECT_TRUE(visible.containsPointer(Point{0, 50}));
    EXPECT_FALSE(visible.containsPointer(Point{200, 50}));
    EXPECT_FALSE(Rect::null().containsPointer(Point{0, 0}));
}

TEST(Rect, IntersectsNeedsOverlappingInteriorsButAcceptsEmptyRectsInside) {
    const Rect r(0, 0, 10, 10);
    EXPECT_TRUE(r.intersects(Rect(5, 5, 10, 10)));
    EXPECT_FALSE(r.intersects(Rect(10, 0, 10, 10))); // touching edges
    EXPECT_TRUE(r.intersects(Rect(5, 5, 0, 0)));     // empty, strictly inside
    EXPECT_TRUE(r.intersects(Rect(5, -5, 0, 20)));   // a vertical line through it
    EXPECT_FALSE(r.intersects(Rect(0, 0, 0, 0)));    // empty, on the corner
    EXPECT_FALSE(r.intersects(Rect::null()));
    EXPECT_TRUE(Rect(10, 10, -10, -10).intersects(Rect(1, 1, 1, 1))); // negative sizes standardize
    EXPECT_TRUE(r.intersection(Rect(20, 20, 1, 1)).isNull());
    EXPECT_EQ(r.intersection(Rect(5, -5, 10, 10)), Rect(5, 0, 5, 5));
}

TEST(Rect, InsetMidAndUnion) {
    const Rect r(10, 20, 100, 50);
    EXPECT_EQ(r.insetBy(2, 3), Rect(12, 23, 96, 44));
    EXPECT_TRUE(r.insetBy(60, 0).isNull());
    EXPECT_DOUBLE_EQ(r.midX(), 60);
    EXPECT_DOUBLE_EQ(r.midY(), 45);
    EXPECT_DOUBLE_EQ(r.maxX(), 110);
    EXPECT_DOUBLE_EQ(r.maxY(), 70);
    EXPECT_EQ(r.united(Rect(0, 0, 1, 1)), Rect(0, 0, 110, 70));
    EXPECT_EQ(Rect::null().united(r), r);
}

TEST(KeptInside, AFrameThatFitsStaysExactlyAndOneOffAnEdgeMovesAlongThatAxisAlone) {
    const Rect bounds(0, 24, 1024, 576);
    for (platform::KeptEdge x : {platform::KeptEdge::minEdge, platform::KeptEdge::maxEdge}) {
        for (platform::KeptEdge y : {platform::KeptEdge::minEdge, platform::KeptEdge::maxEdge}) {
            const platform::KeepInsideTie tie{x, y};
            // Inside, touching the edges, or exactly as large: untouched.
            for (const Rect& inside : {Rect(36.5, 100.25, 260, 300), Rect(0, 24, 1024, 576), Rect(764, 500, 260, 100),
                                       Rect(0.1, 24.3, 0, 0)})
                EXPECT_EQ(platform::keptInside(inside, bounds, tie), inside);
            // Off one edge: just inside it, the other axis and the size left alone.
            EXPECT_EQ(platform::keptInside(Rect(900.5, 300.25, 260, 100), bounds, tie), Rect(764, 300.25, 260, 100));
            EXPECT_EQ(platform::keptInside(Rect(-30, 300, 260, 100), bounds, tie), Rect(0, 300, 260, 100));
            EXPECT_EQ(platform::keptInside(Rect(300, -109, 34, 242), bounds, tie), Rect(300, 24, 34, 242));
            EXPECT_EQ(platform::keptInside(Rect(300, 500, 34, 242), bounds, tie), Rect(300, 358, 34, 242));
            // Off two edges at once: into the corner.
            EXPECT_EQ(platform::keptInside(Rect(1000, 590, 100, 50), bounds, tie), Rect(924, 550, 100, 50));
        }
    }
}

TEST(KeptInside, AFrameLargerThanTheBoundsKeepsTheEdgeItsTieNamesOnEachAxis) {
    using platform::KeptEdge;
    const Rect bounds(0, 24, 1024, 576);
    // 1100 × 700 at (-50, -50), too large both ways: from whichever side it
    // sticks out, the named edge lies on the bounds' edge.
    for (const Rect& large : {Rect(-50, -50, 1100, 700), Rect(-20, 10, 1100, 700), Rect(400, 300, 1100, 700)}) {
        EXPECT_EQ(platform::keptInside(large, bounds, {KeptEdge::minEdge, KeptEdge::minEdge}), Rect(0, 24, 1100, 700));
        EXPECT_EQ(platform::keptInside(large, bounds, {KeptEdge::minEdge, KeptEdge::maxEdge}),
                  Rect(0, 600 - 700, 1100, 700));
        EXPECT_EQ(platform::keptInside(large, bounds, {KeptEdge::maxEdge, KeptEdge::minEdge}),
                  Rect(1024 - 1100, 24, 1100, 700));
        EXPECT_EQ(platform::keptInside(large, bounds, {KeptEdge::maxEdge, KeptEdge::maxEdge}),
                  Rect(1024 - 1100, 600 - 700, 1100, 700));
    }
    // Too large along one axis only: the tie of the other changes nothing.
    EXPECT_EQ(platform::keptInside(Rect(2000, 300, 1100, 50), bounds, {KeptEdge::maxEdge, KeptEdge::minEdge}),
              platform::keptInside(Rect(2000, 300, 1100, 50), bounds, {KeptEdge::maxEdge, KeptEdge::maxEdge}));
    EXPECT_EQ(platform::keptInside(Rect(2000, 300, 1100, 50), bounds, {KeptEdge::maxEdge, KeptEdge::maxEdge}),
              Rect(-76, 300, 1100, 50));
}

TEST(Coordinates, RoundTripWithThePrimaryAwayFromTheRootOrigin) {
    // Primary monitor at (1280, 200) in the root, 1920×1080: screen-space
    // origin is its bottom-left, y up.
    const QRect primary(1280, 200, 1920, 1080);
    EXPECT_EQ(platform::toScreen(QPointF(1280, 1280), primary), (Point{0, 0}));
    EXPECT_EQ(platform::toScreen(QPointF(1280, 200), primary), (Point{0, 1080}));
    EXPECT_EQ(platform::toScreen(QPointF(0, 0), primary), (Point{-1280, 1280}));
    for (QPointF q : {QPointF(0, 0), QPointF(1500.5, 333.25), QPointF(3199, 1279)}) {
        EXPECT_EQ(platform::toGlobal(platform::toScreen(q, primary), primary), q);
    }
    // A monitor left of the primary, its top aligned with the root's top.
    const QRectF left(0, 0, 1280, 1024);
    const Rect s = platform::toScreen(left, primary);
    EXPECT_EQ(s, Rect(-1280, 256, 1280, 1024));
    EXPECT_EQ(platform::toGlobal(s, primary), left);
}

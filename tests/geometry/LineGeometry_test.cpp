#include "geometry/LineGeometry.h"

#include "StrokedPathBounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>

TEST(LineExtent, TakesInTheCurveBulgeAndEveryCap) {
    const QPointF a(20, 200), e(320, 180);
    for (Qt::PenCapStyle cap : {Qt::FlatCap, Qt::RoundCap, Qt::SquareCap}) {
        QPainterPath straight(a);
        straight.lineTo(e);
        expectTight(strokedPathBounds(straight, 12, cap), lineExtent(a, e, std::nullopt, 12), 6, "straight line");
    }
    const QPointF control(170, -40); // the bulge lies far above both ends
    QPainterPath curve(a);
    curve.quadTo(control, e);
    const QRectF extent = lineExtent(a, e, control, 12);
    expectTight(strokedPathBounds(curve, 12, Qt::FlatCap), extent, 6, "curved line");
    EXPECT_LT(extent.top(), 180 - 12 - 50);
}

TEST(ArrowExtent, HeadsReachBackFromTheEnd) {
    for (bool curved : {false, true}) {
        const QPointF a(40, 40), e(200, 60);
        const double w = 4; // head max(20, 14) = 20 long
        const std::optional<QPointF> control = curved ? std::optional<QPointF>(QPointF(260, 260)) : std::nullopt;
        const QPointF dir = curved ? e - *control : e - a;
        const double angle = std::atan2(dir.y(), dir.x()), len = std::max(5 * w, 14.0);
        const auto tip = [&](double turn) { return e - QPointF(std::cos(angle + turn), std::sin(angle + turn)) * len; };
        QPainterPath path(a);
        if (curved) path.quadTo(*control, e);
        else path.lineTo(e);
        // One polyline head: the sharpest join a painter might make at the tip.
        path.moveTo(tip(std::numbers::pi / 6));
        path.lineTo(e);
        path.lineTo(tip(-std::numbers::pi / 6));
        const QRectF extent = arrowExtent(a, e, control, w);
        EXPECT_TRUE(extent.adjusted(-1, -1, 1, 1).contains(strokedPathBounds(path, w, Qt::FlatCap))) << curved;
        // The line alone would end at the tip; the head's miter pokes past it.
        EXPECT_GT(extent.right(), e.x() + w);
    }
    // A head without direction may point anywhere, so it is a disc.
    EXPECT_TRUE(arrowExtent({50, 50}, {50, 50}, std::nullopt, 2).contains(QRectF(50 - 14, 50 - 14, 28, 28)));
}

TEST(LineEndDirection, LeavesAwayFromTheControlPointElseAlongTheChord) {
    // Painter and extent both aim the arrow head along it.
    EXPECT_EQ(lineEndDirection({0, 0}, {10, 0}, std::nullopt), QPointF(10, 0));
    EXPECT_EQ(lineEndDirection({0, 0}, {10, 0}, QPointF(10, 5)), QPointF(0, -5));
    EXPECT_EQ(lineEndDirection({0, 0}, {10, 0}, QPointF(10, 0)), QPointF(10, 0)); // control on the end
    EXPECT_EQ(lineEndDirection({3, 3}, {3, 3}, QPointF(3, 3)), QPointF());

    // Without a direction the arrow is its line alone: no head strokes.
    QPainterPath path;
    addArrowPath(path, {3, 3}, {3, 3}, std::nullopt, 4);
    int moves = 0;
    for (int i = 0; i < path.elementCount(); ++i) moves += path.elementAt(i).isMoveTo();
    EXPECT_EQ(moves, 1);
}

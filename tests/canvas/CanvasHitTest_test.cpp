// The canvas's hit test, where it differs from the pointer's: bezier paths.
#include "canvas/CanvasHitTest.h"
#include "model/DrawingStroke.h"
#include "model/StrokeHitIndex.h"

#include <gtest/gtest.h>

namespace {

// A bezier path over `anchors` with the given arms, width 4 (tolerance 12).
DrawingStroke bezierPath(std::vector<QPointF> anchors, std::vector<QPointF> in, std::vector<QPointF> out) {
    DrawingStroke s;
    s.tool = DrawingTool::bezierPen;
    s.lineWidth = 4;
    s.points = anchors;
    s.startPoint = anchors.front();
    s.endPoint = anchors.back();
    s.customVertices = std::move(anchors);
    s.bezierHandleIn = std::move(in);
    s.bezierHandleOut = std::move(out);
    return s;
}

// One arch from (100, 200) to (300, 200) whose top, at t = 0.5, is (200, 110).
DrawingStroke arch() { return bezierPath({{100, 200}, {300, 200}}, {{0, 0}, {0, -120}}, {{0, -120}, {0, 0}}); }

} // namespace

TEST(CanvasHitTest, ABezierPathIsHitOnItsCurveNotOnTheChordBetweenItsAnchors) {
    const DrawingStroke path = arch();
    EXPECT_TRUE(canvasHitTest(path, {200, 110}));
    EXPECT_TRUE(canvasHitTest(path, {200, 121.9}));
    EXPECT_FALSE(canvasHitTest(path, {200, 122})); // exactly the tolerance away
    EXPECT_FALSE(canvasHitTest(path, {200, 200}));
    // The pointer keeps testing the anchors' polyline.
    EXPECT_TRUE(strokeHitTest(path, {200, 200}));
    EXPECT_FALSE(strokeHitTest(path, {200, 110}));

    // A pending move counts.
    DrawingStroke moved = path;
    moved.offset = QSizeF(0, 50);
    EXPECT_TRUE(canvasHitTest(moved, {200, 160}));
    EXPECT_FALSE(canvasHitTest(moved, {200, 110}));
}

TEST(CanvasHitTest, EverySegmentOfAnOpenPathIsACubicOfItsArms) {
    // Down from (100, 100) to (300, 100) through an arch below, then back up
    // to (200, 0) along a straight edge (no arms).
    const DrawingStroke path =
        bezierPath({{100, 100}, {300, 100}, {200, 0}}, {{0, 0}, {0, 120}, {0, 0}}, {{0, 120}, {0, 0}, {0, 0}});
    EXPECT_TRUE(canvasHitTest(path, {200, 190}));  // the arch's bottom
    EXPECT_TRUE(canvasHitTest(path, {250, 50}));   // on the straight second segment
    EXPECT_FALSE(canvasHitTest(path, {150, 50}));  // the closing edge is not part of the path
    EXPECT_FALSE(canvasHitTest(path, {200, 100})); // the chord of the arch

    // The samples are points, not joined: on a long curve the pointer can
    // fall between two of them (here at 1000 and 1149.5) while it is on the
    // curve itself.
    const DrawingStroke longPath = bezierPath({{0, 0}, {2000, 0}}, {{0, 0}, {0, 0}}, {{0, 0}, {0, 0}});
    EXPECT_TRUE(canvasHitTest(longPath, {1000, 0}));
    EXPECT_FALSE(canvasHitTest(longPath, {1075, 0}));
}

TEST(CanvasHitTest, PathsWithoutMatchingArmsFallBackInTurn) {
    // One arm each way: a single cubic between the path's ends.
    DrawingStroke single = arch();
    single.customVertices.reset();
    single.bezierHandleOut = std::vector<QPointF>{{0, -120}};
    single.bezierHandleIn = std::vector<QPointF>{{0, -120}};
    EXPECT_TRUE(canvasHitTest(single, {200, 110}));
    EXPECT_FALSE(canvasHitTest(single, {200, 200}));

    // Arms that do not match the anchors: the anchors' polyline, unless a
    // control point makes it a quadratic curve.
    DrawingStroke mismatched = arch();
    mismatched.bezierHandleIn->push_back({0, 0});
    EXPECT_TRUE(canvasHitTest(mismatched, {200, 200}));
    EXPECT_FALSE(canvasHitTest(mismatched, {200, 110}));
    mismatched.controlPoint = QPointF(200, 0);
    EXPECT_TRUE(canvasHitTest(mismatched, {200, 100})); // the quadratic's top
    EXPECT_FALSE(canvasHitTest(mismatched, {200, 200}));
}

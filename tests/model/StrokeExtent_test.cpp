// The drawn extent of each stroke kind, as the eraser and the canvas cache
// ask for it. What each outline's extent takes in is tested in
// tests/geometry; the painters are held to it in tests/canvas.

#include "model/DrawingStroke.h"
#include "model/StrokeExtent.h"
#include "model/StrokeText.h"
#include "support/TestStrokes.h"

#include <gtest/gtest.h>

using testing_support::framedStroke;

TEST(DrawnExtent, PenDotsAndEveryKindWithoutPixels) {
    DrawingStroke pen;
    pen.lineWidth = 10;
    pen.points = {{50, 50}};
    EXPECT_EQ(drawnExtent(pen), QRectF(45, 45, 10, 10));
    pen.points.clear();
    EXPECT_TRUE(drawnExtent(pen).isNull());
    auto move = pen;
    move.tool = DrawingTool::move;
    move.points = {{1, 1}, {100, 100}};
    EXPECT_TRUE(drawnExtent(move).isNull());
    auto text = framedStroke(DrawingTool::text, {0, 0}, {300, 100}, 4);
    EXPECT_TRUE(drawnExtent(text).isNull()); // no text
    text.text = QStringLiteral("Hi");
    text.rotationDegrees = 45;
    EXPECT_EQ(drawnExtent(text), layoutText(text).inkExtent());
    // Where the stroke is shown: moved by its offset.
    text.offset = QSizeF(10, -5);
    EXPECT_EQ(shownDrawnExtent(text), drawnExtent(text).translated(10, -5));
}

TEST(DrawnExtent, TheEraserTestsTheBoundingRectangleAndTheDrawnExtent) {
    auto s = framedStroke(DrawingTool::line, {20, 200}, {320, 180}, 12);
    s.controlPoint = QPointF(170, -40); // the bulge lies far outside the bounding rectangle
    EXPECT_LT(drawnExtent(s).top(), s.boundingRect().top() - 50);
    EXPECT_TRUE(eraserTestExtent(s).contains(drawnExtent(s)));
    EXPECT_TRUE(eraserTestExtent(s).contains(s.boundingRect()));
    // A stroke that draws nothing is still tested where it lies.
    auto move = framedStroke(DrawingTool::move, {5, 5}, {5, 5}, 0);
    EXPECT_EQ(eraserTestExtent(move), QRectF(5, 5, 0, 0));
}

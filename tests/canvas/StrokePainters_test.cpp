#include "canvas/StrokePainters.h"
#include "canvas/StrokeRenderer.h"
#include "model/StrokeText.h"
#include "support/RenderTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace testing_support;

namespace {

DrawingStroke strokeOf(DrawingTool tool, double width = 10) {
    DrawingStroke s;
    s.tool = tool;
    s.lineWidth = width;
    s.color = Color::rgba(0, 0, 0, 1);
    return s;
}

// Evenly spaced samples from a to b, `step` apart (b included).
std::vector<QPointF> samples(QPointF a, QPointF b, double step) {
    const double len = std::hypot(b.x() - a.x(), b.y() - a.y());
    const int n = std::max(1, static_cast<int>(std::round(len / step)));
    std::vector<QPointF> pts;
    for (int i = 0; i <= n; ++i) pts.push_back(a + (b - a) * (static_cast<double>(i) / n));
    return pts;
}

// Painted area in pixels, antialiased edges counted by their coverage.
double coveredArea(const QImage& img) {
    double sum = 0;
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) sum += qAlpha(row[x]);
    }
    return sum / 255;
}

// Pixels more than half covered in one column.
int columnThickness(const QImage& img, int x) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) n += alphaAt(img, x, y) > 127;
    return n;
}

// ---- Line work ----

TEST(LinePainters, PenDotIsACircleOfTheWidth) {
    DrawingStroke s = strokeOf(DrawingTool::pen, 20);
    s.points = {{100, 100}};
    EXPECT_EQ(paintedCount(renderStroke(s)), 0); // one sample: nothing
    s.points = {{100, 100}, {100, 100}};         // a click collects its point twice
    const QImage dot = renderStroke(s);
    EXPECT_NEAR(coveredArea(dot), std::numbers::pi * 100, 8);
    EXPECT_EQ(paintedBounds(dot, 127), QRect(90, 90, 20, 20));

    DrawingStroke line = strokeOf(DrawingTool::line, 20);
    line.startPoint = line.endPoint = {100, 100};
    EXPECT_EQ(renderStroke(line), dot);
}

TEST(LinePainters, PenCurvesThroughMidpointsWithRoundEnds) {
    DrawingStroke s = strokeOf(DrawingTool::pen, 6);
    s.points = {{40, 200}, {150, 40}, {260, 200}};
    const QImage img = renderStroke(s);
    // The quadratic from (40,200) with control (150,40) to the midpoint
    // (205,120), then a line to (260,200): it never reaches the sample.
    EXPECT_EQ(alphaAt(img, 150, 41), 0);
    const QPointF onCurve = QPointF(40, 200) * 0.25 + QPointF(150, 40) * 0.5 + QPointF(205, 120) * 0.25;
    EXPECT_EQ(alphaAt(img, onCurve), 255);
    EXPECT_EQ(alphaAt(img, QPointF(232.5, 160)), 255);
    EXPECT_NEAR(paintedBounds(img, 127).bottom(), 202, 1); // round caps: 3 beyond the ends
}

TEST(LinePainters, CurvedLinePassesHalfwayBetweenControlAndChord) {
    DrawingStroke s = strokeOf(DrawingTool::line, 4);
    s.startPoint = {20, 180};
    s.endPoint = {180, 180};
    s.controlPoint = QPointF(100, 20);
    const QImage img = renderStroke(s);
    // S/4 + C/2 + E/4 = (100, 100), the apex of the curve.
    EXPECT_EQ(alphaAt(img, 100, 100), 255);
    EXPECT_EQ(alphaAt(img, 100, 99), 255);
    EXPECT_EQ(alphaAt(img, 100, 95), 0);
    EXPECT_EQ(alphaAt(img, 100, 21), 0);  // not through the control point
    EXPECT_EQ(alphaAt(img, 100, 180), 0); // not straight
    EXPECT_NEAR(paintedBounds(img, 127).top(), 98, 1);
}

TEST(LinePainters, ArrowHeadsAreFiveWidthsOrFourteenLongAtThirtyDegrees) {
    DrawingStroke s = strokeOf(DrawingTool::arrow, 6);
    s.startPoint = {40, 150};
    s.endPoint = {240, 150};
    // Head 30 long: tips at (240 − 30·cos 30°, 150 ∓ 15), round caps of 3;
    // the two head strokes meet in a miter 6 beyond the end.
    QRect b = paintedBounds(renderStroke(s), 127);
    EXPECT_NEAR(b.top(), 132, 1);
    EXPECT_NEAR(b.bottom() + 1, 168, 1);
    EXPECT_NEAR(b.right() + 1, 246, 1);

    s.lineWidth = 2; // 5 × 2 is less than 14
    b = paintedBounds(renderStroke(s), 127);
    EXPECT_NEAR(b.top(), 150 - 7 - 1, 1);
    EXPECT_NEAR(b.bottom() + 1, 150 + 7 + 1, 1);

    // A curved arrow's head follows the curve's end direction, away from
    // the control point: here straight up.
    s.lineWidth = 6;
    s.startPoint = {40, 250};
    s.endPoint = {240, 50};
    s.controlPoint = QPointF(240, 250);
    const QImage curved = renderStroke(s);
    b = paintedBounds(curved, 127);
    EXPECT_NEAR(b.right() + 1, 240 + 15 + 3, 1);
    EXPECT_NEAR(b.top(), 50 - 6, 1);
    EXPECT_EQ(alphaAt(curved, QPointF(225, 50 + 30 * std::cos(std::numbers::pi / 6) - 1)), 255);
    EXPECT_EQ(alphaAt(curved, QPointF(255, 50 + 30 * std::cos(std::numbers::pi / 6) - 1)), 255);
}

TEST(ShapePainters, RectangleCornersAreSharpAndEllipseFitsItsFrame) {
    DrawingStroke s = strokeOf(DrawingTool::rectangle, 10);
    s.startPoint = {160, 120}; // corners given in either order
    s.endPoint = {40, 40};
    const QImage rect = renderStroke(s);
    EXPECT_EQ(alphaAt(rect, 35, 35), 255); // the outer corner of a miter join
    EXPECT_EQ(alphaAt(rect, 100, 45), 0);  // the inside stays empty
    EXPECT_EQ(paintedBounds(rect, 127), QRect(QPoint(35, 35), QPoint(164, 124)));

    s.tool = DrawingTool::ellipse;
    const QImage ellipse = renderStroke(s);
    EXPECT_EQ(alphaAt(ellipse, 40, 40), 0);
    EXPECT_EQ(alphaAt(ellipse, 100, 40), 255);
    EXPECT_EQ(alphaAt(ellipse, 40, 80), 255);
    EXPECT_EQ(paintedBounds(ellipse, 127), QRect(QPoint(35, 35), QPoint(164, 124)));
}

TEST(ShapePainters, PolygonsAreClosedWithSharpTips) {
    DrawingStroke s = strokeOf(DrawingTool::triangle, 6);
    s.startPoint = {20, 20};
    s.endPoint = {220, 220};
    const QImage triangle = renderStroke(s);
    // Vertices (120, 20), (206.6, 170), (33.4, 170); the last edge closes
    // the outline back to the first vertex.
    EXPECT_EQ(alphaAt(triangle, QPointF(163.3, 95)), 255);
    EXPECT_EQ(alphaAt(triangle, QPointF(120, 170)), 255);
    EXPECT_EQ(alphaAt(triangle, QPointF(76.7, 95)), 255);

    DrawingStroke edited = strokeOf(DrawingTool::diamond, 6);
    edited.customVertices = std::vector<QPointF>{{40, 100}, {200, 100}, {200, 260}, {40, 260}};
    edited.bezierHandleOut = std::vector<QPointF>{{0, 0}, {0, 0}, {0, 0}, {0, 0}};
    const QImage custom = renderStroke(edited);
    EXPECT_EQ(alphaAt(custom, 40, 180), 255); // closing edge
    EXPECT_EQ(alphaAt(custom, 120, 100), 255);
    EXPECT_EQ(alphaAt(custom, 120, 180), 0);
    // Arms bow an edge: the top edge's cubic has its apex 45 above it.
    edited.bezierHandleOut = std::vector<QPointF>{{0, -60}, {0, 0}, {0, 0}, {0, 0}};
    edited.bezierHandleIn = std::vector<QPointF>{{0, 0}, {0, -60}, {0, 0}, {0, 0}};
    const QImage bowed = renderStroke(edited);
    EXPECT_EQ(alphaAt(bowed, 120, 100), 0);
    EXPECT_EQ(alphaAt(bowed, 120, 55), 255);
    EXPECT_NEAR(paintedBounds(bowed, 127).top(), 55 - 3, 1);

    // A star's 36° tips end in miter points, 3.24 × half the width beyond
    // the vertex (a round or bevel join would stop at half the width).
    DrawingStroke star = strokeOf(DrawingTool::star, 8);
    star.startPoint = {20, 30};
    star.endPoint = {220, 230};
    const QRect b = paintedBounds(renderStroke(star));
    EXPECT_GE(b.top(), std::floor(30 - 4 / std::sin(std::numbers::pi / 10)));
    EXPECT_LT(b.top(), 30 - 8);
}

// ---- Freehand fills ----

TEST(FreehandPainters, CalligraphyNibIsThickAcrossItAndThinAlongIt) {
    const double w = 20;
    DrawingStroke s = strokeOf(DrawingTool::calligraphyBrush, w);
    // Across a −45° nib the sweep is w·sin 45° thick: a parallelogram.
    s.points = samples({40, 150}, {260, 150}, 3);
    EXPECT_NEAR(coveredArea(renderStroke(s)), 220 * w * std::numbers::sqrt2 / 2, 40);
    EXPECT_EQ(columnThickness(renderStroke(s), 150), 14);
    // Along the nib (up and right) it would vanish: 0.08 of the width, over
    // the path and the nib's own length (antialiased edges of the
    // overlapping sweeps add a little).
    const double diagonal = 220 * std::numbers::sqrt2;
    s.points = samples({40, 260}, {260, 40}, 3);
    const double along = coveredArea(renderStroke(s));
    EXPECT_GT(along, (diagonal + w) * w * 0.08 * 0.95);
    EXPECT_LT(along, (diagonal + w) * w * 0.08 * 1.2);
    // Square to the nib it is the full width.
    s.points = samples({40, 40}, {260, 260}, 3);
    EXPECT_NEAR(coveredArea(renderStroke(s)), diagonal * w, 60);
    // A touch leaves the nib's imprint.
    s.points = {{150, 150}, {150, 150}};
    EXPECT_NEAR(coveredArea(renderStroke(s)), w * w * 0.08, 4);
}

TEST(FreehandPainters, CalligraphyZigzagHasNoHoles) {
    // Strokes that turn back over themselves must stay solid where their
    // sweeps overlap.
    DrawingStroke s = strokeOf(DrawingTool::calligraphyBrush, 30);
    for (int i = 0; i < 8; ++i) s.points.push_back(QPointF(60 + (i % 2) * 180, 150 + i * 0.5));
    const QImage img = renderStroke(s);
    for (int x = 70; x < 230; x += 10) EXPECT_EQ(alphaAt(img, x, 151), 255) << x;
}

TEST(FreehandPainters, BrushPenThinsWithSpeedAndTapersAtBothEnds) {
    const double w = 20;
    DrawingStroke slow = strokeOf(DrawingTool::brushPen, w);
    slow.points = samples({20, 150}, {280, 150}, 1);
    DrawingStroke fast = slow;
    fast.points = samples({20, 150}, {280, 150}, 26);
    const QImage slowImg = renderStroke(slow), fastImg = renderStroke(fast);
    const int slowMiddle = columnThickness(slowImg, 150), fastMiddle = columnThickness(fastImg, 150);
    EXPECT_LE(slowMiddle, w);
    EXPECT_GE(slowMiddle, w - 2);
    EXPECT_LT(fastMiddle, slowMiddle * 0.85);
    EXPECT_GT(fastMiddle, w * 0.4);
    // Both ends come to a narrow tip.
    EXPECT_LT(columnThickness(slowImg, 22), slowMiddle / 2);
    EXPECT_LT(columnThickness(slowImg, 278), slowMiddle / 2);
    EXPECT_NEAR(paintedBounds(slowImg, 127).left(), 18, 1.5);
    EXPECT_NEAR(paintedBounds(slowImg, 127).right(), 281, 1.5);
}

TEST(FreehandPainters, BrushPenTurnsStaySolid) {
    DrawingStroke s = strokeOf(DrawingTool::brushPen, 16);
    // A dense circle: every joint turns a little.
    for (int i = 0; i <= 400; ++i) {
        const double a = i * 2 * std::numbers::pi / 400;
        s.points.push_back(QPointF(150 + 100 * std::cos(a), 150 + 100 * std::sin(a)));
    }
    const QImage img = renderStroke(s);
    for (int i = 20; i < 380; i += 7) {
        const double a = i * 2 * std::numbers::pi / 400;
        EXPECT_EQ(alphaAt(img, QPointF(150 + 100 * std::cos(a), 150 + 100 * std::sin(a))), 255) << i;
    }
}

TEST(FreehandPainters, AirbrushIsSoftAndItsSpeckleSeedsAreStable) {
    DrawingStroke s = strokeOf(DrawingTool::airbrush, 20);
    for (int i = 0; i <= 120; ++i) s.points.push_back(QPointF(30 + i * 2, 150 + 40 * std::sin(i / 15.0)));
    const QImage img = renderStroke(s);
    EXPECT_EQ(renderStroke(s), img);
    // Soft: the paint thins from the path outward and never reaches full
    // opacity between speckles.
    const QPointF middle = s.points[60];
    const int centre = alphaAt(img, middle), near = alphaAt(img, middle + QPointF(0, 12)),
              far = alphaAt(img, middle + QPointF(0, 18));
    EXPECT_GT(centre, near);
    EXPECT_GT(near, far);
    EXPECT_NEAR(centre, 0.6 * 255, 25);

    // Moved by whole pixels, the spray is the same, speckles included.
    DrawingStroke moved = s;
    for (QPointF& p : moved.points.mutableVector()) p += QPointF(7, -3);
    EXPECT_EQ(renderStroke(moved), shifted(img, 7, -3));

    // While the stroke grows, what lies well behind its end stays put.
    DrawingStroke partial = s;
    partial.points.resize(61);
    const QImage grown = renderStroke(partial);
    const QRect early(0, 0, 30 + 30 * 2, 300);
    EXPECT_EQ(grown.copy(early), img.copy(early));
}

TEST(FreehandPainters, EveryKindRepaintsIdentically) {
    for (DrawingTool tool : kAllDrawingTools) {
        DrawingStroke s = strokeOf(tool, 9);
        s.color = Color::rgba(0.2, 0.5, 0.9, 0.7);
        for (int i = 0; i < 40; ++i) s.points.push_back(QPointF(40 + i * 5, 150 + 50 * std::sin(i / 5.0)));
        s.startPoint = {40, 60};
        s.endPoint = {240, 220};
        s.text = "Ink";
        EXPECT_EQ(renderStroke(s), renderStroke(s)) << displayName(tool).toStdString();
    }
}

TEST(FreehandPainters, PaintersLeaveThePainterAsTheyFoundIt) {
    for (DrawingTool tool : kAllDrawingTools) {
        DrawingStroke s = strokeOf(tool, 9);
        s.points = {{40, 40}, {80, 90}, {120, 40}};
        s.startPoint = {40, 60};
        s.endPoint = {240, 220};
        s.text = "Ink";
        s.rotationDegrees = 30;
        paintImage({300, 300}, [&](QPainter& p) {
            p.translate(5, 5);
            p.setPen(QPen(Qt::green, 3));
            p.setBrush(Qt::yellow);
            const QTransform t = p.transform();
            const QFont font = p.font();
            const auto hints = p.renderHints();
            drawStroke(s, p);
            EXPECT_EQ(p.transform(), t) << displayName(tool).toStdString();
            EXPECT_EQ(p.pen(), QPen(Qt::green, 3)) << displayName(tool).toStdString();
            EXPECT_EQ(p.brush(), QBrush(Qt::yellow)) << displayName(tool).toStdString();
            EXPECT_EQ(p.font(), font);
            EXPECT_EQ(p.renderHints(), hints);
            EXPECT_EQ(p.compositionMode(), QPainter::CompositionMode_SourceOver);
        });
    }
}

// ---- Text ----

DrawingStroke textIn(QPointF start, QPointF end, const QString& text, double fontSize = 0) {
    DrawingStroke s = strokeOf(DrawingTool::text);
    s.startPoint = start;
    s.endPoint = end;
    s.text = text;
    s.explicitFontSize = fontSize;
    return s;
}

// Rows holding ink, split where blank rows separate them.
std::vector<std::pair<int, int>> inkRowRuns(const QImage& img) {
    std::vector<std::pair<int, int>> runs;
    for (int y = 0; y < img.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < img.width() && !ink; ++x) ink = alphaAt(img, x, y) > 127;
        if (!ink) continue;
        if (!runs.empty() && runs.back().second == y - 1) runs.back().second = y;
        else runs.emplace_back(y, y);
    }
    return runs;
}

TEST(TextPainter, LinesStartInsideTheBoxCornerAndStepByOnePointThreeSizes) {
    DrawingStroke s = textIn({40, 40}, {300, 260}, "H\n\nH", 20);
    const QImage img = renderStroke(s);
    const auto runs = inkRowRuns(img);
    ASSERT_EQ(runs.size(), 2u); // the empty line keeps its place
    EXPECT_NEAR(runs[1].first - runs[0].first, 2 * 1.3 * 20, 1);
    const QRect b = paintedBounds(img, 127);
    EXPECT_GE(b.left(), 44);
    EXPECT_LE(b.left(), 44 + 4);
    EXPECT_GE(b.top(), 44);
    const TextLayout layout = layoutText(s);
    EXPECT_LE(runs[0].second, layout.lines[0].rect.bottom());
}

TEST(TextPainter, FittedTextStaysInTheInnerBox) {
    DrawingStroke s = textIn({40, 40}, {256, 136}, "Wide annotation text");
    const QRect b = paintedBounds(renderStroke(s), 0);
    EXPECT_GE(b.left(), 44);
    EXPECT_LE(b.right(), 40 + 4 + 200 + 1);
    EXPECT_GT(b.width(), 150); // fitted to the width, not left tiny
}

TEST(TextPainter, RotatesAboutTheBoxCentre) {
    DrawingStroke s = textIn({50, 100}, {250, 200}, "Rotated", 30); // centre (150, 150)
    const QRect flat = paintedBounds(renderStroke(s), 127);
    s.rotationDegrees = 90;
    const QRect turned = paintedBounds(renderStroke(s), 127);
    // A quarter turn clockwise (y down) about (150, 150).
    const QRectF expected = QTransform().translate(150, 150).rotate(90).translate(-150, -150).mapRect(QRectF(flat));
    EXPECT_NEAR(turned.left(), expected.left(), 2);
    EXPECT_NEAR(turned.top(), expected.top(), 2);
    EXPECT_NEAR(turned.width(), expected.width(), 2);
    EXPECT_NEAR(turned.height(), expected.height(), 2);
}

TEST(TextPainter, RotatedTextErasuresCutWhereItsTextIs) {
    DrawingStroke s = textIn({40, 100}, {260, 200}, "IIIIIIII", 40);
    s.rotationDegrees = 35;
    const QImage whole = renderStroke(s);
    // An inked pixel far from the rotation centre.
    QPoint target(-1, -1);
    for (int y = 0; y < whole.height() && target.x() < 0; ++y)
        for (int x = 0; x < whole.width(); ++x)
            if (alphaAt(whole, x, y) == 255 && std::hypot(x - 150, y - 150) > 70) {
                target = QPoint(x, y);
                break;
            }
    ASSERT_GE(target.x(), 0);
    s.erasures = {ErasureStamp{QPointF(target) + QPointF(0.5, 0.5), 5, QUuid::createUuid()}};
    const QImage cut = renderStroke(s);
    EXPECT_EQ(alphaAt(cut, target.x(), target.y()), 0);
    EXPECT_GT(paintedCount(cut), paintedCount(whole) * 8 / 10);
}

} // namespace

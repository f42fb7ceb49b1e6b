#include "canvas/StrokeRenderer.h"
#include "canvas/StrokeView.h"
#include "support/RenderTestUtil.h"

#include <gtest/gtest.h>

#include <set>

using namespace testing_support;

namespace {

DrawingStroke penLine(QPointF a, QPointF b, double width = 10, Color color = Color::red()) {
    DrawingStroke s;
    s.tool = DrawingTool::pen;
    s.points = {a, (a + b) / 2, b};
    s.lineWidth = width;
    s.color = color;
    return s;
}

ErasureStamp dab(QPointF c, double r) { return ErasureStamp{c, r, QUuid::createUuid()}; }

QImage solidCell(QSize size, QColor color) {
    QImage cell(size, QImage::Format_ARGB32_Premultiplied);
    cell.fill(color);
    return cell;
}

TEST(StrokeRenderer, OffsetMovesTheStrokeAndItsErasures) {
    DrawingStroke s = penLine({40, 100}, {200, 100});
    s.erasures = {dab({120, 100}, 10)};
    const QImage plain = renderStroke(s);
    s.offset = QSizeF(10, -5);
    const QImage moved = renderStroke(s);

    EXPECT_EQ(paintedBounds(moved), paintedBounds(plain).translated(10, -5));
    // The dab moved with the stroke: the hole is at (130, 95) now.
    EXPECT_EQ(alphaAt(moved, 130, 95), 0);
    EXPECT_EQ(alphaAt(moved, 126, 95), 0);
    EXPECT_EQ(alphaAt(moved, 115, 95), 255);
    EXPECT_EQ(alphaAt(moved, 80, 95), 255);
    EXPECT_EQ(alphaAt(moved, 80, 99), 255); // the 10-wide line now spans y 90…100
    EXPECT_EQ(alphaAt(moved, 80, 101), 0);
    EXPECT_EQ(shifted(plain, 10, -5), moved);
}

TEST(StrokeRenderer, OffsetStaysOnThePainterOnlyWhenNonZero) {
    DrawingStroke s = penLine({40, 100}, {200, 100});
    paintImage({300, 300}, [&](QPainter& p) {
        p.translate(3, 4);
        const QTransform before = p.transform();
        drawStroke(s, p);
        EXPECT_EQ(p.transform(), before);
        s.offset = QSizeF(10, -5);
        drawStroke(s, p);
        EXPECT_EQ(p.transform(), before * QTransform::fromTranslate(10, -5));
    });
}

TEST(StrokeRenderer, MoveStrokesDrawNothing) {
    DrawingStroke s = penLine({40, 100}, {200, 100});
    s.tool = DrawingTool::move;
    s.startPoint = {10, 10};
    s.endPoint = {200, 200};
    EXPECT_EQ(paintedCount(renderStroke(s)), 0);
}

TEST(StrokeRenderer, StampsTakePrecedenceOverTheTool) {
    const std::vector<QImage> stamps = {solidCell({10, 10}, Qt::green)};
    for (DrawingTool tool : {DrawingTool::pen, DrawingTool::gimpBrush, DrawingTool::line}) {
        DrawingStroke s = penLine({40, 100}, {200, 100});
        s.tool = tool;
        const QImage img = renderStroke(s, {300, 300}, stamps);
        // Stamp pixels, not the stroke's red.
        const QColor c = img.pixelColor(40, 100);
        EXPECT_EQ(c.green(), 255) << displayName(tool).toStdString();
        EXPECT_EQ(c.red(), 0) << displayName(tool).toStdString();
    }
}

TEST(StrokeRenderer, BrushStrokeWithoutStampsPaintsAsBrushPen) {
    DrawingStroke brush = penLine({40, 100}, {200, 140}, 14);
    brush.points.insert(brush.points.begin() + 1, {QPointF(60, 90), QPointF(90, 130)});
    brush.tool = DrawingTool::gimpBrush;
    brush.gimpBrushID = QUuid::createUuid();
    DrawingStroke pen = brush;
    pen.tool = DrawingTool::brushPen;
    const QImage img = renderStroke(brush);
    EXPECT_GT(paintedCount(img), 500);
    EXPECT_EQ(img, renderStroke(pen));
}

TEST(StrokeRenderer, ErasuresCutOnlyTheirOwnStroke) {
    const DrawingStroke below = penLine({40, 100}, {200, 100}, 12, Color::rgba(0, 0, 1, 1));
    DrawingStroke above = penLine({120, 20}, {120, 180}, 12, Color::rgba(1, 0, 0, 1));
    above.erasures = {dab({120, 100}, 15), dab({120, 40}, 8)};
    const QImage img = paintImage({300, 300}, [&](QPainter& p) {
        StrokeView{below, {}}.render(p);
        StrokeView{above, {}}.render(p);
    });
    // At the crossing the stroke beneath shows untouched.
    EXPECT_EQ(img.pixelColor(120, 100), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(80, 100), QColor(0, 0, 255));
    // The upper stroke is cut at both dabs and intact between them.
    EXPECT_EQ(alphaAt(img, 120, 40), 0);
    EXPECT_EQ(img.pixelColor(120, 70), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(120, 160), QColor(255, 0, 0));
}

TEST(StrokeRenderer, DabIsOpaqueToSixtyPercentThenFades) {
    DrawingStroke s = penLine({0, 100}, {300, 100}, 120);
    s.erasures = {dab({150.3, 100.6}, 40)};
    // Straight, and turned a quarter about the dab (dabs are drawn another
    // way under a rotation; both must cut alike).
    for (int turn : {0, 90}) {
        const QImage img = paintImage({300, 300}, [&](QPainter& p) {
            p.translate(150.3, 100.6);
            p.rotate(turn);
            p.translate(-150.3, -100.6);
            StrokeView{s, {}}.render(p);
        });
        const auto at = [&](double dx, double dy) { return alphaAt(img, QPointF(150.3 + dx, 100.6 + dy)); };
        EXPECT_EQ(at(0, 0), 0) << turn;
        EXPECT_EQ(at(22, 0), 0) << turn;         // 0.55 r
        EXPECT_NEAR(at(32, 0), 128, 20) << turn; // 0.8 r: half cut
        EXPECT_EQ(at(-42, 0), 255) << turn;      // beyond r
        EXPECT_EQ(at(0, 42), 255) << turn;
    }
}

TEST(StrokeRenderer, ErasureLayerFollowsPainterScaleAndClip) {
    DrawingStroke s = penLine({20, 50}, {180, 50}, 10);
    s.erasures = {dab({100, 50}, 8)};
    // A device at twice the resolution.
    QImage hi(600, 200, QImage::Format_ARGB32_Premultiplied);
    hi.setDevicePixelRatio(2);
    hi.fill(Qt::transparent);
    {
        QPainter p(&hi);
        p.translate(20, 10);
        StrokeView{s, {}}.render(p);
    }
    EXPECT_EQ(qAlpha(hi.pixel(240, 120)), 0);         // the dab, (120, 60) logical
    EXPECT_EQ(qAlpha(hi.pixel(160, 120)), 255);       // the line, (80, 60) logical
    EXPECT_EQ(qAlpha(hi.pixel(160, 136)), 0);         // below the line
    EXPECT_NEAR(paintedBounds(hi).left(), 2 * 35, 1); // the round cap, 5 before (40, 60)

    // Only the clip is painted.
    const QImage clipped = paintImage({300, 100}, [&](QPainter& p) {
        p.setClipRect(QRect(0, 0, 60, 100));
        StrokeView{s, {}}.render(p);
    });
    EXPECT_EQ(paintedBounds(clipped).right(), 59);
}

TEST(StrokeRenderer, EraserStrokeShowsItsDabsInTheCurrentMode) {
    DrawingStroke eraser;
    eraser.tool = DrawingTool::eraser;
    eraser.color = Color::clear();
    eraser.lineWidth = 5; // dabs of radius 20
    eraser.points = {{60, 60}, {62, 60}, {120, 60}};
    // Over opaque pixels, in DestinationOut, the dabs cut holes.
    QImage img(200, 120, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::black);
    {
        QPainter p(&img);
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        drawStroke(eraser, p);
    }
    EXPECT_EQ(alphaAt(img, 60, 60), 0);
    EXPECT_EQ(alphaAt(img, 120, 60), 0);
    EXPECT_EQ(alphaAt(img, 90, 60), 255); // 30 from both dabs: the skipped (62, 60) left none
    EXPECT_EQ(alphaAt(img, 60, 85), 255);
    // In the default mode they are white.
    const QImage shown = paintImage({200, 120}, [&](QPainter& p) { drawStroke(eraser, p); });
    EXPECT_EQ(shown.pixelColor(60, 60), QColor(Qt::white));
}

TEST(StrokeRenderer, EraserPathBecomesSpacedDabs) {
    DrawingStroke eraser;
    eraser.tool = DrawingTool::eraser;
    eraser.lineWidth = 10;
    for (int i = 0; i <= 10; ++i) eraser.points.push_back(QPointF(i * 5, 0));
    const std::vector<ErasureStamp> stamps = erasureStamps(eraser);
    // Radius 40, spacing max(40/4, 2) = 10: every other point.
    ASSERT_EQ(stamps.size(), 6u);
    std::set<QString> passes;
    for (std::size_t i = 0; i < stamps.size(); ++i) {
        EXPECT_EQ(stamps[i].center, QPointF(i * 10.0, 0));
        EXPECT_EQ(stamps[i].radius, 40);
        passes.insert(stamps[i].passID.toString());
    }
    EXPECT_EQ(passes.size(), stamps.size());

    // A long gap gets one dab at its end; the spacing never drops below 2.
    eraser.lineWidth = 0.25;
    eraser.points = {{0, 0}, {1.5, 0}, {2, 0}, {50, 0}};
    const std::vector<ErasureStamp> thin = erasureStamps(eraser);
    ASSERT_EQ(thin.size(), 3u);
    EXPECT_EQ(thin[1].center, QPointF(2, 0));
    EXPECT_EQ(thin[2].center, QPointF(50, 0));
    EXPECT_TRUE(erasureStamps(DrawingStroke{}).empty());
}

TEST(StrokeView, EqualityComparesStrokesAndImageIdentities) {
    const QImage a = solidCell({4, 4}, Qt::green), b = solidCell({4, 4}, Qt::blue);
    const DrawingStroke s = penLine({0, 0}, {10, 10});
    const StrokeView view{s, {a, b}};
    EXPECT_TRUE(view == (StrokeView{s, {a, b}}));
    EXPECT_FALSE(view == (StrokeView{s, {b, a}}));
    EXPECT_FALSE(view == (StrokeView{s, {a}}));
    // Equal pixels in another image object are another image.
    QImage copy = a.copy();
    EXPECT_EQ(copy, a);
    EXPECT_FALSE(view == (StrokeView{s, {copy, b}}));
    DrawingStroke other = s;
    other.lineWidth += 1;
    EXPECT_FALSE(view == (StrokeView{other, {a, b}}));
}

TEST(StrokeView, LeavesThePainterAsItFoundIt) {
    DrawingStroke s = penLine({20, 50}, {180, 50}, 10);
    s.offset = QSizeF(3, 3);
    for (bool erased : {false, true}) {
        if (erased) s.erasures = {dab({100, 50}, 8)};
        paintImage({200, 100}, [&](QPainter& p) {
            p.translate(2, 1);
            p.setOpacity(0.5);
            const QTransform t = p.transform();
            StrokeView{s, {}}.render(p);
            EXPECT_EQ(p.transform(), t);
            EXPECT_EQ(p.opacity(), 0.5);
            EXPECT_EQ(p.compositionMode(), QPainter::CompositionMode_SourceOver);
        });
    }
}

} // namespace

#include "geometry/ExtentBuilder.h"
#include "model/Algorithms.h"
#include "model/DrawingStroke.h"
#include "model/StrokeExtent.h"
#include "model/StrokeText.h"
#include "support/TestStrokes.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

using testing_support::framedStroke;

namespace {

// Strokes a path the way the line-work painters do: CoreGraphics' miter join
// is Qt's SvgMiterJoin, whose limit has the same meaning.
QRectF paintedBounds(const QPainterPath& path, double width, Qt::PenCapStyle cap) {
    constexpr int kSize = 900, kShift = 300; // room for negative coordinates
    QImage img(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(kShift, kShift);
        QPen pen(Qt::black, width);
        pen.setCapStyle(cap);
        pen.setJoinStyle(Qt::SvgMiterJoin);
        pen.setMiterLimit(kMiterLimit);
        p.setPen(pen);
        p.drawPath(path);
    }
    int x0 = kSize, y0 = kSize, x1 = -1, y1 = -1;
    for (int y = 0; y < kSize; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < kSize; ++x) {
            if (qAlpha(row[x]) == 0) continue;
            x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        }
    }
    if (x1 < 0) return QRectF();
    return QRectF(QPointF(x0 - kShift, y0 - kShift), QPointF(x1 + 1 - kShift, y1 + 1 - kShift));
}

// Inside the extent (one pixel of antialiasing allowed), and not much looser
// than the pixels: the cached canvas repaints whatever the extent covers.
void expectTight(const QRectF& painted, const QRectF& extent, double slack, const char* what) {
    ASSERT_FALSE(painted.isNull()) << what;
    EXPECT_TRUE(extent.adjusted(-1, -1, 1, 1).contains(painted))
        << what << ": painted " << painted.left() << "," << painted.top() << " " << painted.right() << ","
        << painted.bottom() << " extent " << extent.left() << "," << extent.top() << " " << extent.right() << ","
        << extent.bottom();
    EXPECT_LT(painted.left() - extent.left(), slack) << what;
    EXPECT_LT(painted.top() - extent.top(), slack) << what;
    EXPECT_LT(extent.right() - painted.right(), slack) << what;
    EXPECT_LT(extent.bottom() - painted.bottom(), slack) << what;
}

QPainterPath closedPolygon(const std::vector<QPointF>& v) {
    QPainterPath path(v.front());
    for (std::size_t i = 1; i < v.size(); ++i) path.lineTo(v[i]);
    path.closeSubpath();
    return path;
}

} // namespace

TEST(DrawnExtent, LinesTakeInTheirCurveBulgeAndEveryCap) {
    auto s = framedStroke(DrawingTool::line, {20, 200}, {320, 180}, 12);
    for (Qt::PenCapStyle cap : {Qt::FlatCap, Qt::RoundCap, Qt::SquareCap}) {
        QPainterPath straight(s.startPoint);
        straight.lineTo(s.endPoint);
        expectTight(paintedBounds(straight, 12, cap), drawnExtent(s), 6, "straight line");
    }
    s.controlPoint = QPointF(170, -40); // the bulge lies far outside the bounding rectangle
    QPainterPath curve(s.startPoint);
    curve.quadTo(*s.controlPoint, s.endPoint);
    expectTight(paintedBounds(curve, 12, Qt::FlatCap), drawnExtent(s), 6, "curved line");
    EXPECT_LT(drawnExtent(s).top(), s.boundingRect().top() - 50);
    EXPECT_TRUE(eraserTestExtent(s).contains(drawnExtent(s)));
    EXPECT_TRUE(eraserTestExtent(s).contains(s.boundingRect()));
}

TEST(DrawnExtent, ArrowHeadsReachBackFromTheEnd) {
    for (bool curved : {false, true}) {
        auto s = framedStroke(DrawingTool::arrow, {40, 40}, {200, 60}, 4); // head max(20, 14) = 20 long
        if (curved) s.controlPoint = QPointF(260, 260);
        const QPointF e = s.endPoint;
        const QPointF dir = curved ? e - *s.controlPoint : e - s.startPoint;
        const double angle = std::atan2(dir.y(), dir.x()), len = std::max(5 * s.lineWidth, 14.0);
        const auto tip = [&](double turn) {
            return e - QPointF(std::cos(angle + turn), std::sin(angle + turn)) * len;
        };
        QPainterPath path(s.startPoint);
        if (curved) path.quadTo(*s.controlPoint, e);
        else path.lineTo(e);
        // One polyline head: the sharpest join a painter might make at the tip.
        path.moveTo(tip(std::numbers::pi / 6));
        path.lineTo(e);
        path.lineTo(tip(-std::numbers::pi / 6));
        const QRectF extent = drawnExtent(s);
        const QRectF painted = paintedBounds(path, s.lineWidth, Qt::FlatCap);
        EXPECT_TRUE(extent.adjusted(-1, -1, 1, 1).contains(painted)) << curved;
        // The line alone would end at the tip; the head's miter pokes past it.
        EXPECT_GT(extent.right(), e.x() + s.lineWidth);
    }
    // A head without direction may point anywhere, so it is a disc.
    const auto dot = framedStroke(DrawingTool::arrow, {50, 50}, {50, 50}, 2);
    EXPECT_TRUE(drawnExtent(dot).contains(QRectF(50 - 14, 50 - 14, 28, 28)));
}

TEST(DrawnExtent, FramesReachHalfTheWidthOut) {
    const auto rect = framedStroke(DrawingTool::rectangle, {300, 250}, {100, 50}, 16);
    QPainterPath r;
    r.addRect(frameRect(rect.startPoint, rect.endPoint));
    expectTight(paintedBounds(r, 16, Qt::FlatCap), drawnExtent(rect), 2, "rectangle");
    EXPECT_EQ(drawnExtent(rect), QRectF(92, 42, 216, 216));
    auto ell = rect;
    ell.tool = DrawingTool::ellipse;
    QPainterPath e;
    e.addEllipse(frameRect(ell.startPoint, ell.endPoint));
    expectTight(paintedBounds(e, 16, Qt::FlatCap), drawnExtent(ell), 2, "ellipse");
}

TEST(DrawnExtent, PolygonMiterSpikesAreIncludedUntilTheyBevel) {
    // A star's points are sharp: their miters reach well past the vertices.
    const auto star = framedStroke(DrawingTool::star, {100, 100}, {400, 400}, 14);
    const auto v = polygonVertices(star);
    const QRectF painted = paintedBounds(closedPolygon(v), 14, Qt::FlatCap);
    expectTight(painted, drawnExtent(star), 2, "star");
    EXPECT_LT(painted.top(), 100 - 14);

    // A spike sharper than the miter limit is bevelled and stays close.
    auto spike = framedStroke(DrawingTool::triangle, {0, 0}, {1, 1}, 10);
    spike.customVertices = std::vector<QPointF>{{0, 0}, {300, 15}, {0, 30}}; // about 5.7 degrees at the tip
    expectTight(paintedBounds(closedPolygon(*spike.customVertices), 10, Qt::FlatCap), drawnExtent(spike), 2.5,
                "bevelled spike");
    // Just under the limit it is a long miter.
    spike.customVertices = std::vector<QPointF>{{0, 0}, {300, 32}, {0, 64}}; // about 12.2 degrees
    const QRectF longMiter = paintedBounds(closedPolygon(*spike.customVertices), 10, Qt::FlatCap);
    expectTight(longMiter, drawnExtent(spike), 2.5, "mitered spike");
    EXPECT_GT(longMiter.right(), 300 + 40);
}

TEST(DrawnExtent, BezierArmsPullTheOutlineOut) {
    auto poly = framedStroke(DrawingTool::diamond, {0, 0}, {1, 1}, 6);
    poly.customVertices = std::vector<QPointF>{{100, 100}, {300, 100}, {300, 300}};
    poly.bezierHandleOut = std::vector<QPointF>{{60, -120}, {0, 0}, {0, 0}};
    poly.bezierHandleIn = std::vector<QPointF>{{0, 0}, {-60, -120}, {0, 0}};
    const auto& v = *poly.customVertices;
    QPainterPath path(v[0]);
    path.cubicTo(v[0] + (*poly.bezierHandleOut)[0], v[1] + (*poly.bezierHandleIn)[1], v[1]);
    path.lineTo(v[2]);
    path.closeSubpath();
    expectTight(paintedBounds(path, 6, Qt::FlatCap), drawnExtent(poly), 3, "curved polygon");
    EXPECT_LT(drawnExtent(poly).top(), 100 - 50); // the arms pull the top edge far above its vertices

    // A bezier-pen path, open, with arms of unequal length.
    DrawingStroke bez;
    bez.tool = DrawingTool::bezierPen;
    bez.lineWidth = 8;
    bez.customVertices = std::vector<QPointF>{{50, 200}, {250, 200}, {400, 50}};
    bez.points = *bez.customVertices;
    bez.bezierHandleOut = std::vector<QPointF>{{0, 150}, {80, 0}, {0, 0}};
    bez.bezierHandleIn = std::vector<QPointF>{{0, 0}, {-80, 0}, {0, 0}};
    const auto& b = *bez.customVertices;
    QPainterPath bp(b[0]);
    bp.cubicTo(b[0] + QPointF(0, 150), b[1] + QPointF(-80, 0), b[1]);
    bp.cubicTo(b[1] + QPointF(80, 0), b[2], b[2]);
    for (Qt::PenCapStyle cap : {Qt::FlatCap, Qt::SquareCap})
        EXPECT_TRUE(drawnExtent(bez).adjusted(-1, -1, 1, 1).contains(paintedBounds(bp, 8, cap)));
}

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

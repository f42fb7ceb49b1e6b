// Every painter stays inside the drawn extent its stroke answers: what the
// eraser tests and what the cached canvas repaints.

#include "model/StrokeExtent.h"
#include "support/RenderTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace testing_support;

namespace {

class StrokeMaker {
public:
    explicit StrokeMaker(unsigned seed) : rng_(seed) {}

    double uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng_); }
    int integer(int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng_); }
    bool chance(double p) { return uniform(0, 1) < p; }
    QPointF point() { return QPointF(uniform(0, 400), uniform(0, 300)); }

    double width() {
        static const double kWidths[] = {0.5, 1, 2, 4, 11, 25, 60, 100};
        return kWidths[integer(0, 7)];
    }

    std::vector<QPointF> freehand() {
        std::vector<QPointF> pts;
        switch (integer(0, 4)) {
        case 0: pts = {point()}; break;                        // a single sample
        case 1: pts = {point()}, pts.push_back(pts[0]); break; // a click
        case 2: {                                              // a zigzag with sharp turns and repeats
            const int n = integer(3, 12);
            for (int i = 0; i < n; ++i) {
                pts.push_back(point());
                if (chance(0.3)) pts.push_back(pts.back());
            }
            break;
        }
        default: { // a dense, wandering pointer path
            QPointF p = point();
            double heading = uniform(0, 6.3);
            const double speed = uniform(0.5, 25);
            const int n = integer(2, 150);
            pts.push_back(p);
            pts.push_back(p);
            for (int i = 0; i < n; ++i) {
                heading += uniform(-0.6, 0.6);
                p += QPointF(std::cos(heading), std::sin(heading)) * speed * uniform(0.2, 1.5);
                pts.push_back(p);
            }
        }
        }
        return pts;
    }

    std::vector<QPointF> arms(std::size_t n) {
        std::vector<QPointF> a;
        for (std::size_t i = 0; i < n; ++i)
            a.push_back(chance(0.4) ? QPointF() : QPointF(uniform(-120, 120), uniform(-120, 120)));
        return a;
    }

    DrawingStroke make(DrawingTool tool) {
        DrawingStroke s;
        s.tool = tool;
        s.lineWidth = width();
        s.color = Color::rgba(uniform(0, 1), uniform(0, 1), uniform(0, 1), uniform(0.3, 1));
        s.startPoint = point();
        s.endPoint = chance(0.1) ? s.startPoint : point();
        if (chance(0.3)) s.offset = QSizeF(uniform(-40, 40), uniform(-40, 40));
        if (isFreehandTool(tool) || tool == DrawingTool::eraser || tool == DrawingTool::move) s.points = freehand();
        if (tool == DrawingTool::bezierPen && chance(0.7)) {
            const std::size_t n = static_cast<std::size_t>(integer(2, 6));
            std::vector<QPointF> v;
            for (std::size_t i = 0; i < n; ++i) v.push_back(point());
            s.customVertices = v;
            s.points = v;
            s.bezierHandleIn = arms(n);
            s.bezierHandleOut = arms(chance(0.2) ? n - 1 : n); // a short list counts as no arm
        }
        if (isLineTool(tool) && chance(0.5)) s.controlPoint = chance(0.1) ? s.endPoint : point();
        if (isPolygonShape(tool) && chance(0.4)) {
            const std::size_t n = static_cast<std::size_t>(integer(2, 9));
            std::vector<QPointF> v;
            for (std::size_t i = 0; i < n; ++i) v.push_back(point());
            s.customVertices = v;
            if (chance(0.6)) {
                s.bezierHandleIn = arms(n);
                s.bezierHandleOut = arms(n);
            }
        }
        if (tool == DrawingTool::text) {
            static const char* texts[] = {"Hello", "gjpqy ÅÉÇ\nWWW", "W\n\nWide line of text", "", "  x  "};
            s.text = QString::fromUtf8(texts[integer(0, 4)]);
            s.fontName = chance(0.3) ? QStringLiteral("No Such Font Family 7") : QString();
            s.explicitFontSize = chance(0.5) ? 0 : uniform(6, 60);
            s.rotationDegrees = chance(0.3) ? 0 : uniform(-180, 180);
        }
        if (chance(0.3)) {
            // Dabs only take pixels away.
            for (int i = 0; i < 3; ++i) s.erasures.push_back(ErasureStamp{point(), uniform(1, 80), QUuid()});
        }
        return s;
    }

    // Brush cells as the tinted-stamp cache makes them: the larger side is
    // the width to the nearest pixel, all cells of one brush the same size.
    std::vector<QImage> cellsFor(const DrawingStroke& s) {
        const int side = static_cast<int>(std::lround(std::max(1.0, s.lineWidth)));
        const int other = std::max(1, static_cast<int>(std::lround(side * uniform(0.2, 1))));
        QImage cell = chance(0.5) ? QImage(side, other, QImage::Format_ARGB32_Premultiplied)
                                  : QImage(other, side, QImage::Format_ARGB32_Premultiplied);
        cell.fill(QColor(20, 200, 40));
        return {cell, cell};
    }

private:
    std::mt19937 rng_;
};

// Paints the stroke into an image with room around its extent and returns
// how far (in pixels) paint strays beyond the extent grown by one pixel.
double strayBeyondExtent(const DrawingStroke& s, const std::vector<QImage>& stamps) {
    const QRectF extent = shownDrawnExtent(s);
    const double margin = 40 + 3 * std::abs(s.lineWidth);
    QRectF area = extent.isNull() ? s.boundingRect().translated(s.offset.width(), s.offset.height()) : extent;
    area.adjust(-margin, -margin, margin, margin);
    QImage img = transparentImage(area.size().toSize() + QSize(1, 1));
    {
        QPainter p(&img);
        p.translate(-area.topLeft());
        StrokeView{s, stamps}.render(p);
    }
    const QRectF allowed = extent.translated(-area.topLeft()).adjusted(-1, -1, 1, 1);
    double worst = 0;
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (qAlpha(row[x]) == 0) continue;
            if (extent.isNull()) return 1e9;
            const double dx = std::max({allowed.left() - (x + 1), x - allowed.right(), 0.0});
            const double dy = std::max({allowed.top() - (y + 1), y - allowed.bottom(), 0.0});
            worst = std::max(worst, std::hypot(dx, dy));
        }
    }
    return worst;
}

TEST(DrawnExtent, EveryPainterStaysInsideItsExtent) {
    StrokeMaker maker(20240611);
    for (DrawingTool tool : kAllDrawingTools) {
        for (int i = 0; i < 30; ++i) {
            const DrawingStroke s = maker.make(tool);
            const double stray = strayBeyondExtent(s, {});
            EXPECT_EQ(stray, 0) << displayName(tool).toStdString() << " #" << i << " width " << s.lineWidth
                                << " extent " << shownDrawnExtent(s).x() << "," << shownDrawnExtent(s).y() << " "
                                << shownDrawnExtent(s).width() << "x" << shownDrawnExtent(s).height();
        }
    }
}

TEST(DrawnExtent, BrushStampsStayInsideTheBrushExtent) {
    StrokeMaker maker(77);
    for (int i = 0; i < 40; ++i) {
        const DrawingStroke s = maker.make(DrawingTool::gimpBrush);
        EXPECT_EQ(strayBeyondExtent(s, maker.cellsFor(s)), 0) << "#" << i << " width " << s.lineWidth;
    }
}

TEST(DrawnExtent, StrokesThatPaintNothingHaveNoExtent) {
    StrokeMaker maker(5);
    DrawingStroke move = maker.make(DrawingTool::move);
    EXPECT_TRUE(drawnExtent(move).isNull());
    DrawingStroke text = maker.make(DrawingTool::text);
    text.text.clear();
    EXPECT_TRUE(drawnExtent(text).isNull());
    EXPECT_EQ(paintedCount(renderStroke(text)), 0);
}

} // namespace

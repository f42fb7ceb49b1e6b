#include "canvas/DrawingCanvasView.h"
#include "canvas/LiveStrokeLayer.h"
#include "canvas/StrokeRenderer.h"
#include "model/DrawingState.h"
#include "support/CanvasTestUtil.h"
#include "support/RenderTestUtil.h"
#include "support/TestDrawingState.h"
#include "support/TestStrokes.h"
#include "support/TestUtil.h"

#include <QPaintEvent>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// Pixels painted in either image and those that differ by more than 64 in
// a channel.
std::pair<int, int> difference(const QImage& a, const QImage& b) {
    int painted = 0, differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (qAlpha(p) == 0 && qAlpha(q) == 0) continue;
            ++painted;
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            if (d > 64) ++differing;
        }
    return {painted, differing};
}

struct LiveCanvas : ::testing::Test {
    TestDrawingState t;
    DrawingState& s = *t.state;
    DrawingCanvasView canvas{t.state, 1};

    LiveCanvas() {
        canvas.resize(420, 320);
        s.currentDrawingDisplayID = 1;
        drainEvents();
    }

    // Drags along `path`, letting the canvas catch up after every event.
    void drag(const std::vector<QPointF>& path) {
        for (const QPointF& p : path) {
            canvas.handleDragChanged(CanvasDragValue{p, path.front(), false});
            drainEvents(1);
        }
    }

    // What the live stroke looks like drawn whole, as a placed stroke.
    QImage drawnWhole() {
        const DrawingStroke& live = *s.currentStroke.get();
        std::vector<QImage> stamps;
        if (live.gimpBrushID) stamps = s.tintedStamps(*live.gimpBrushID, live.color, live.lineWidth);
        return renderStroke(live, canvas.size(), stamps);
    }
};

// A looping path that crosses itself, inside the canvas.
std::vector<QPointF> scribble(unsigned seed, int samples = 160) {
    std::vector<QPointF> path;
    const double phase = seed * 0.7;
    for (int i = 0; i < samples; ++i) {
        const double t = i * 0.025;
        path.emplace_back(210 + 150 * std::sin(1.3 * t + phase), 160 + 110 * std::sin(2.1 * t));
    }
    return path;
}

} // namespace

TEST_F(LiveCanvas, GrowingStrokesLookAsIfDrawnWholeAlsoAtHalfOpacity) {
    const std::vector<DrawingTool> tools = {
        DrawingTool::pen,   DrawingTool::calligraphyBrush, DrawingTool::brushPen, DrawingTool::airbrush,
        DrawingTool::chalk, DrawingTool::watercolorBrush,  DrawingTool::line,     DrawingTool::star};
    unsigned seed = 1;
    for (double opacity : {1.0, 0.5}) {
        for (DrawingTool tool : tools) {
            for (bool smooth : {false, true}) {
                if (smooth && tool != DrawingTool::pen) continue;
                s.selectedTool = tool;
                s.strokeOpacity = opacity;
                s.lineWidth = 9;
                s.smoothingEnabledTools = smooth ? DrawingToolSet{DrawingTool::pen} : DrawingToolSet{};
                drag(scribble(seed++));
                ASSERT_TRUE(s.currentStroke.get());
                const auto [painted, differing] = difference(drawnWhole(), canvasImage(canvas));
                EXPECT_GT(painted, 100);
                EXPECT_LE(differing * 100, painted)
                    << rawValue(tool) << " at " << opacity << (smooth ? " smoothed" : "") << ": " << differing << " of "
                    << painted;
                canvas.handleDragEnded(CanvasDragValue{QPointF(1, 1), QPointF(1, 1), false});
                s.currentStroke = std::nullopt;
                s.strokes.set({});
                drainEvents();
            }
        }
    }
}

TEST_F(LiveCanvas, ABrushPensSharpTurnsAreSolidWhileItIsDrawn) {
    // Round joints overlap the outline's ribbons at sharp turns; filled with
    // any rule but the winding one, the overlaps would show as holes until
    // the release. A slow zigzag: wide legs, sharp corners.
    s.selectedTool = DrawingTool::brushPen;
    s.lineWidth = 24;
    std::vector<QPointF> zigzag;
    for (int leg = 0; leg < 8; ++leg) {
        const QPointF a(40 + leg * 40, leg % 2 ? 80 : 240), b(80 + leg * 40, leg % 2 ? 240 : 80);
        for (int i = 0; i < 40; ++i) zigzag.push_back(a + (b - a) * (i / 40.0));
    }
    drag(zigzag);
    ASSERT_TRUE(s.currentStroke.get());
    const QImage whole = drawnWhole(), live = canvasImage(canvas);
    int solid = 0, holes = 0;
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x) {
            if (qAlpha(whole.pixel(x, y)) < 255) continue;
            ++solid;
            holes += qAlpha(live.pixel(x, y)) < 192;
        }
    EXPECT_GT(solid, 5000);
    EXPECT_EQ(holes, 0);
}

TEST_F(LiveCanvas, ABrushWithCellsIsStampedLiveAsWhenPlaced) {
    const QUuid brush = QUuid::createUuid();
    QImage cell(12, 12, QImage::Format_RGBA8888_Premultiplied);
    cell.fill(Qt::transparent);
    {
        QPainter p(&cell);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(1, 3, 10, 6));
    }
    s.gimpStampCache.insert(brush, {cell});
    s.activeGIMPBrushID = brush;
    s.selectedTool = DrawingTool::gimpBrush;
    s.gimpBrushOpacity = 0.5;
    s.lineWidth = 14;
    drag(scribble(77));
    const DrawingStroke& live = *s.currentStroke.get();
    ASSERT_TRUE(live.gimpBrushID);
    EXPECT_DOUBLE_EQ(live.color.a, 0.5);
    ASSERT_FALSE(s.tintedStamps(brush, live.color, live.lineWidth).empty());
    const auto [painted, differing] = difference(drawnWhole(), canvasImage(canvas));
    EXPECT_GT(painted, 100);
    EXPECT_LE(differing * 100, painted) << differing << " of " << painted;
}

TEST_F(LiveCanvas, ALiveEraserCutsWhatTheWholeEraserWould) {
    for (int i = 0; i < 6; ++i) s.addStroke(penStroke({QPointF(20, 40 + 45.0 * i), QPointF(400, 40 + 45.0 * i)}, 24));
    drainEvents();
    s.selectedTool = DrawingTool::eraser;
    s.lineWidth = 4;
    drag(scribble(5, 240));
    QImage expected(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    {
        QPainter p(&expected);
        for (const DrawingStroke& st : s.strokes.get()) StrokeView{st, {}}.render(p);
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        drawStroke(*s.currentStroke.get(), p);
    }
    const auto [painted, differing] = difference(expected, canvasImage(canvas));
    EXPECT_LE(differing * 100, painted) << differing << " of " << painted;
    EXPECT_EQ(alphaAt(canvasImage(canvas), s.currentStroke.get()->points.back()), 0);
}

TEST_F(LiveCanvas, EachPointerEventRepaintsOnlyTheEndOfALongStroke) {
    QWidget window;
    window.setAttribute(Qt::WA_TranslucentBackground);
    window.resize(1000, 800);
    DrawingCanvasView big(t.state, 1, &window);
    big.resize(1000, 800);
    window.show();
    drainEvents();
    s.selectedTool = DrawingTool::pen;
    s.lineWidth = 6;
    // A long spiral: by its end the stroke spans most of the canvas.
    std::vector<QPointF> path;
    for (int i = 0; i < 1500; ++i) {
        const double a = i * 0.02, r = 40 + i * 0.22;
        path.emplace_back(500 + r * std::cos(a), 400 + r * std::sin(a));
    }
    PaintLog log;
    big.installEventFilter(&log);
    for (std::size_t i = 0; i < path.size(); ++i) {
        big.handleDragChanged(CanvasDragValue{path[i], path.front(), false});
        drainEvents(1);
        if (i + 1 == path.size() - 1) log.painted = QRegion();
    }
    // The last event repainted the stroke's recent end, not the stroke.
    ASSERT_FALSE(log.painted.isEmpty());
    const QRect repainted = log.painted.boundingRect();
    EXPECT_LT(repainted.width() * repainted.height(), 160 * 160) << repainted.width() << "×" << repainted.height();
    EXPECT_TRUE(repainted.contains(path.back().toPoint()));
}

TEST_F(LiveCanvas, AStrokeTakesItsLivePixelsAtTheReleaseAndLooksAsIfDrawnWhole) {
    // Placing a long stroke takes the live layer's pixels instead of drawing
    // it again; the placed picture must still be the stroke's, for strokes
    // of one outline and for stamped ones, which are drawn afresh.
    const std::vector<DrawingTool> tools = {DrawingTool::pen, DrawingTool::calligraphyBrush, DrawingTool::line,
                                            DrawingTool::chalk};
    unsigned seed = 11;
    for (DrawingTool tool : tools) {
        s.selectedTool = tool;
        s.strokeOpacity = 0.5;
        s.lineWidth = 9;
        s.smoothingEnabledTools = DrawingToolSet{DrawingTool::pen};
        // Something beneath, which the half-opaque stroke must show through.
        s.addStroke(penStroke({QPointF(20, 160), QPointF(400, 160)}, 30));
        drainEvents();
        const std::vector<QPointF> path = scribble(seed++);
        drag(path);
        canvas.handleDragEnded(CanvasDragValue{path.back(), path.front(), false});
        drainEvents();
        ASSERT_EQ(s.strokes->size(), 2u) << rawValue(tool);
        EXPECT_FALSE(s.currentStroke.get());
        QImage expected(canvas.size(), QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        {
            QPainter p(&expected);
            for (const DrawingStroke& st : s.strokes.get()) {
                std::vector<QImage> stamps;
                if (st.gimpBrushID) stamps = s.tintedStamps(*st.gimpBrushID, st.color, st.lineWidth);
                StrokeView{st, stamps}.render(p);
            }
        }
        const auto [painted, differing] = difference(expected, canvasImage(canvas));
        EXPECT_GT(painted, 1000) << rawValue(tool);
        EXPECT_LE(differing * 100, painted) << rawValue(tool) << ": " << differing << " of " << painted;

        // Taken away again, it leaves nothing of itself behind.
        s.undo();
        drainEvents();
        QImage beneath(canvas.size(), QImage::Format_ARGB32_Premultiplied);
        beneath.fill(Qt::transparent);
        {
            QPainter p(&beneath);
            StrokeView{s.strokes.get().front(), {}}.render(p);
        }
        EXPECT_EQ(difference(beneath, canvasImage(canvas)).second, 0) << rawValue(tool);
        s.strokes.set({});
        drainEvents();
    }
}

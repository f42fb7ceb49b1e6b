// The canvas on a real X server: a drag with the real pointer becomes one
// stroke with a sample for every move, however fast the moves come, taken
// from the X connection without a mouse event for each.
#include "PacedCanvas.h"
#include "canvas/DrawingCanvasView.h"
#include "model/DrawingState.h"
#include "support/ManualDisplayLink.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace testing_support;

TEST(CanvasOnX11, EveryPointerSampleOfADragReachesTheStroke) {
    TestDrawingState t;
    DrawingState& s = *t.state;
    s.selectedTool = DrawingTool::pen;
    s.smoothingEnabledTools = DrawingToolSet{};
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 600, 400);
    DrawingCanvasView canvas(t.state, 1, &window);
    canvas.resize(600, 400);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
    ASSERT_TRUE(waitUntilPlaced(static_cast<std::uint32_t>(window.winId()), QRect(100, 100, 600, 400)));
    // Where the canvas really is on the root window.
    const QPoint origin = canvas.mapToGlobal(QPoint(0, 0));

    constexpr int kMoves = 40;
    ASSERT_TRUE(pointerReaches(origin + QPoint(100, 150), static_cast<std::uint32_t>(window.winId())));
    xdotool({"mousedown", "1"});
    for (int i = 1; i <= kMoves; ++i) {
        moveMouse(origin + QPoint(100 + 6 * i, 150 + (i % 2)));
        drainEvents();
    }
    xdotool({"mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return s.strokes->size() == 1; }));
    const DrawingStroke& stroke = s.strokes->front();
    EXPECT_EQ(stroke.tool, DrawingTool::pen);
    // The press twice, then each move.
    ASSERT_EQ(stroke.points.size(), std::size_t(kMoves + 2));
    EXPECT_EQ(stroke.points.front(), QPointF(100, 150));
    EXPECT_EQ(stroke.points.back(), QPointF(100 + 6 * kMoves, 150));
    EXPECT_FALSE(canvas.gesture().isDragging());
}

namespace {

// Counts the mouse moves of a drag that reach a widget as Qt's events.
class DragMoveCounter : public QObject {
public:
    int moves = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseMove && (static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton))
            ++moves;
        return false;
    }
};

} // namespace

TEST(CanvasOnX11, ABurstOfMovesReachesThePacedStrokeInOrderWithoutAMouseEventEach) {
    TestDrawingState t;
    DrawingState& s = *t.state;
    s.selectedTool = DrawingTool::pen;
    s.smoothingEnabledTools = DrawingToolSet{};
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 600, 400);
    DrawingCanvasView canvas(t.state, 1, &window);
    canvas.resize(600, 400);
    // Paced by the display's refreshes, as on screen: moves wait for frames.
    canvas.setDisplayLinkFactory([](platform::DisplayID display, platform::DisplayLink::Callback callback) {
        return platform::DisplayLink::create(display, std::move(callback));
    });
    DragMoveCounter counter;
    canvas.installEventFilter(&counter);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
    ASSERT_TRUE(waitUntilPlaced(static_cast<std::uint32_t>(window.winId()), QRect(100, 100, 600, 400)));
    const QPoint origin = canvas.mapToGlobal(QPoint(0, 0));

    constexpr int kMoves = 60;
    ASSERT_TRUE(pointerReaches(origin + QPoint(50, 200), static_cast<std::uint32_t>(window.winId())));
    xdotool({"mousedown", "1"});
    ASSERT_TRUE(waitUntil([&] { return canvas.gesture().isDragging(); }));
    // One xdotool run: the moves come as fast as the server takes them.
    QStringList burst;
    for (int i = 1; i <= kMoves; ++i)
        burst << "mousemove" << QString::number(origin.x() + 50 + 8 * i)
              << QString::number(origin.y() + 200 + (i % 2 ? 30 : 0));
    xdotool(burst);
    xdotool({"mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return s.strokes->size() == 1; }));
    const auto& points = s.strokes->front().points.get();
    ASSERT_EQ(points.size(), std::size_t(kMoves + 2));
    for (int i = 1; i <= kMoves; ++i)
        ASSERT_EQ(points[std::size_t(i + 1)], QPointF(50 + 8 * i, 200 + (i % 2 ? 30 : 0))) << "move " << i;
    // Qt makes up one move to where the release is; the rest never became
    // mouse events.
    EXPECT_LE(counter.moves, 1);
}

TEST(CanvasOnX11, MovesHeldForAFrameAreDrawnByThatFrameThoughThePointerRests) {
    PacedCanvas p;
    DrawingState& s = p.s;
    ASSERT_TRUE(p.show());
    DrawingCanvasView& canvas = p.canvas;
    ManualLink*& link = p.link;
    const QPoint origin = p.origin;
    const auto reached = [&](QPointF p) {
        const auto& live = s.currentStroke.get();
        return live && !live->points.empty() && live->points.back() == p;
    };

    ASSERT_TRUE(pointerReaches(origin + QPoint(100, 150), p.xid()));
    xdotool({"mousedown", "1"});
    ASSERT_TRUE(waitUntil([&] { return canvas.gesture().isDragging(); }));
    // The first move after the pause is drawn at once; the refreshes'
    // phase is known from then on.
    ASSERT_TRUE(moveMouse(origin + QPoint(120, 150)));
    ASSERT_TRUE(waitUntil([&] { return reached(QPointF(120, 150)); }));
    drainEvents();
    ASSERT_TRUE(link && canvas.framePacer().isLinkRunning());
    link->refresh();
    // The next one, in the same refresh, waits for its frame; the pointer
    // then rests.
    ASSERT_TRUE(moveMouse(origin + QPoint(140, 150)));
    ASSERT_TRUE(waitUntil([&] { return canvas.framePacer().isPending() || reached(QPointF(140, 150)); }))
        << "a move held for a frame that nothing owes";
    EXPECT_FALSE(reached(QPointF(140, 150))) << "held for its frame";
    p.clock->advance(ManualLink::kInterval);
    EXPECT_TRUE(reached(QPointF(140, 150))) << "not drawn by its frame";
    EXPECT_FALSE(canvas.framePacer().isPending());
    xdotool({"mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return s.strokes->size() == 1; }));
    EXPECT_EQ(s.strokes->front().points.get(),
              (std::vector<QPointF>{QPointF(100, 150), QPointF(100, 150), QPointF(120, 150), QPointF(140, 150)}));
}

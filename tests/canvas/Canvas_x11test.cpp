// The canvas on a real X server: a drag with the real pointer becomes one
// stroke with a sample for every move.
#include "canvas/DrawingCanvasView.h"
#include "model/DrawingState.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

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

// A drag's hand-off on a real X server: moves read while a frame is owed wait
// for it, the pacer knows it owes one, and that frame gives the stroke every
// held move, in order, before it draws.
#include "canvas/DrawingCanvasView.h"
#include "model/DrawingState.h"
#include "support/CanvasTestUtil.h"
#include "support/ManualDisplayLink.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace testing_support;

TEST(CanvasDragPacingOnX11, AFrameTakesEveryMoveHeldForItBeforeItDraws) {
    TestDrawingState t;
    DrawingState& s = *t.state;
    s.selectedTool = DrawingTool::pen;
    s.smoothingEnabledTools = DrawingToolSet{};
    s.lineWidth = 6;
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 600, 400);
    DrawingCanvasView canvas(t.state, 1, &window);
    canvas.resize(600, 400);
    ManualLink* link = nullptr;
    auto owned = std::make_unique<ManualPacerClock>();
    ManualPacerClock& clock = *owned;
    canvas.setDisplayLinkFactory(manualLinks(clock, link), std::move(owned));
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
    ASSERT_TRUE(waitUntilPlaced(static_cast<std::uint32_t>(window.winId()), QRect(100, 100, 600, 400)));
    const QPoint origin = canvas.mapToGlobal(QPoint(0, 0));
    // Every move is on one row: the stroke's progress is its last x.
    const auto lastX = [&] {
        const auto& live = s.currentStroke.get();
        return live && !live->points.empty() ? live->points.back().x() : -1.0;
    };
    const auto painted = [&](QPoint p) { return qAlpha(canvasImage(canvas).pixel(p)) > 0; };

    ASSERT_TRUE(pointerReaches(origin + QPoint(100, 150), static_cast<std::uint32_t>(window.winId())));
    xdotool({"mousedown", "1"});
    ASSERT_TRUE(waitUntil([&] { return canvas.gesture().isDragging(); }));
    // After the pause the first move is drawn at once.
    ASSERT_TRUE(moveMouse(origin + QPoint(120, 150)));
    ASSERT_TRUE(waitUntil([&] { return lastX() == 120; }));
    drainEvents();
    ASSERT_TRUE(link);
    link->refresh();

    // Three more within the same refresh, then the pointer rests.
    QStringList burst;
    for (int x : {140, 160, 180})
        burst << "mousemove" << QString::number(origin.x() + x) << QString::number(origin.y() + 150);
    ASSERT_TRUE(xdotool(burst));
    ASSERT_TRUE(syncWithServer());
    EXPECT_TRUE(canvas.framePacer().isPending()) << "held moves owe a frame";
    EXPECT_EQ(lastX(), 120) << "moves reached the stroke before their frame";
    EXPECT_FALSE(painted(QPoint(150, 150)));

    // The frame: the stroke has every held move, and the canvas shows them.
    clock.advance(ManualLink::kInterval);
    EXPECT_EQ(lastX(), 180);
    EXPECT_FALSE(canvas.framePacer().isPending());
    EXPECT_TRUE(painted(QPoint(150, 150)));
    EXPECT_TRUE(painted(QPoint(175, 150))) << "the frame drew before the held moves were in";

    xdotool({"mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return s.strokes->size() == 1; }));
    EXPECT_EQ(s.strokes->front().points.get(),
              (std::vector<QPointF>{QPointF(100, 150), QPointF(100, 150), QPointF(120, 150), QPointF(140, 150),
                                    QPointF(160, 150), QPointF(180, 150)}));
}

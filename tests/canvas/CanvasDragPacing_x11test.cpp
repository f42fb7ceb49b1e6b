// A drag's hand-off on a real X server: moves read while a frame is owed wait
// for it, the pacer knows it owes one, and that frame gives the stroke every
// held move, in order, before it draws.
#include "PacedCanvas.h"
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
    PacedCanvas p;
    DrawingState& s = p.s;
    s.lineWidth = 6;
    ASSERT_TRUE(p.show());
    DrawingCanvasView& canvas = p.canvas;
    ManualLink*& link = p.link;
    const QPoint origin = p.origin;
    // Every move is on one row: the stroke's progress is its last x.
    const auto lastX = [&] {
        const auto& live = s.currentStroke.get();
        return live && !live->points.empty() ? live->points.back().x() : -1.0;
    };
    const auto painted = [&](QPoint p) { return qAlpha(canvasImage(canvas).pixel(p)) > 0; };

    ASSERT_TRUE(pointerReaches(origin + QPoint(100, 150), p.xid()));
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
    p.clock->advance(ManualLink::kInterval);
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

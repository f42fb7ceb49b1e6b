#include "canvas/DrawingCanvasView.h"
#include "canvas/overlays/OverlayPointer.h"
#include "model/DrawingState.h"
#include "support/CanvasFixture.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// A shown canvas with the program's overlays, driven by pointer events as
// the window system delivers them.
struct OnCanvas : CanvasFixture {
    OverlayPointer pointer{canvas};

    OnCanvas() : CanvasFixture({400, 300}) {
        s.currentDrawingDisplayID = 1;
        canvas.show();
        drainEvents();
    }
    // A click that cannot pair with the one before.
    void slowClick(QPointF at) {
        pointer.click(at);
        drainEvents();
        clock->advance(1);
    }
};

} // namespace

TEST_F(OnCanvas, AHandleDragIsWrittenBackAsOneNewAdditionWhenTheEditEnds) {
    const DrawingStroke line = framedStroke(DrawingTool::line, {50, 50}, {250, 150});
    add(line);
    canvas.openEdit(0);
    drainEvents();
    const auto undoDepth = s.undoStack->size();

    pointer.drag({250, 150}, {300, 250});
    drainEvents();
    ASSERT_TRUE(canvas.editingLineStroke());
    EXPECT_EQ(canvas.editingLineStroke()->endPoint, QPointF(300, 250));
    EXPECT_EQ(canvas.editingLineStroke()->startPoint, QPointF(50, 50));

    // A width step changes the stroke under edit.
    s.editingLineWidthStep = s.editingLineWidthStep.get() + 1;
    drainEvents();
    EXPECT_EQ(canvas.editingLineStroke()->lineWidth, line.lineWidth + 1);

    s.isLineEditing = false; // Esc
    drainEvents();
    ASSERT_EQ(count(), 1u);
    EXPECT_EQ(s.strokes->front().id, line.id);
    EXPECT_EQ(s.strokes->front().endPoint, QPointF(300, 250));
    EXPECT_EQ(s.undoStack->size(), undoDepth + 1);
}

TEST_F(OnCanvas, PressesOffTheHandlesReachTheCanvas) {
    add(framedStroke(DrawingTool::rectangle, {100, 100}, {200, 200}));
    canvas.openEdit(0);
    drainEvents();
    // On the outline between two corners: the canvas moves the stroke.
    pointer.drag({150, 100}, {170, 130});
    drainEvents();
    ASSERT_TRUE(canvas.editingShapeStroke());
    EXPECT_EQ(canvas.editingShapeStroke()->startPoint, QPointF(120, 130));
    EXPECT_EQ(canvas.editingShapeStroke()->endPoint, QPointF(220, 230));

    // Beside the stroke: the canvas ends the edit and writes it back.
    pointer.click({350, 280});
    drainEvents();
    EXPECT_FALSE(canvas.editingShapeStroke());
    ASSERT_EQ(count(), 1u);
    EXPECT_EQ(s.strokes->front().startPoint, QPointF(120, 130));

    // With no edit open a drag draws as ever.
    clock->advance(1);
    s.selectedTool = DrawingTool::pen;
    drainEvents();
    pointer.drag({20, 20}, {120, 60});
    drainEvents();
    EXPECT_EQ(count(), 2u);
}

TEST_F(OnCanvas, TheBezierPenOwnsThePointerAndItsPathIsStampedWithTheCanvasDisplay) {
    s.selectedTool = DrawingTool::bezierPen;
    drainEvents();
    slowClick({50, 50});
    pointer.drag({150, 80}, {170, 80});
    EXPECT_FALSE(s.currentStroke.get()) << "the canvas draws nothing for the bezier pen";
    clock->advance(1);
    pointer.click({250, 60});
    clock->advance(0.2);
    pointer.click({250, 60});
    drainEvents();

    // Finished: open in the line edit, not yet among the strokes.
    EXPECT_EQ(count(), 0u);
    ASSERT_TRUE(canvas.editingLineStroke());
    EXPECT_EQ(canvas.editingLineStroke()->displayID, 1u);
    EXPECT_EQ(canvas.editingLineStroke()->points.size(), 3u);
    EXPECT_TRUE(s.isLineEditing.get());

    // Its edit overlay takes a drag of the path's last vertex.
    pointer.drag({250, 60}, {260, 100});
    drainEvents();
    EXPECT_EQ(canvas.editingLineStroke()->endPoint, QPointF(260, 100));

    // A click beside it ends the edit; the path lands on this display.
    pointer.click({380, 280});
    drainEvents();
    EXPECT_FALSE(canvas.editingLineStroke());
    ASSERT_EQ(count(), 1u);
    EXPECT_EQ(s.strokes->front().displayID, 1u);
    EXPECT_EQ(s.strokes->front().tool, DrawingTool::bezierPen);
}

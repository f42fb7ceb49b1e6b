// Composing a display's canvas: placed and live strokes, erasures, clips
// and overlays, and the reactions shared by the canvases of one state.

#include "canvas/CanvasPassGroup.h"
#include "canvas/DrawingCanvasView.h"
#include "canvas/StrokeRenderer.h"
#include "model/DrawingState.h"
#include "support/CanvasTestUtil.h"
#include "support/RenderTestUtil.h"
#include "support/TestDrawingState.h"
#include "support/TestStrokes.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct TwoCanvases : ::testing::Test {
    TestDrawingState t{twoScreens()};
    DrawingState& s = *t.state;
    // The canvases of one state react in one pass, as the overlays' do.
    std::shared_ptr<CanvasPassGroup> group = CanvasPassGroup::make(t.state);
    DrawingCanvasView first{t.state, 1, nullptr, group};
    DrawingCanvasView second{t.state, 2, nullptr, group};

    TwoCanvases() {
        first.resize(400, 300);
        second.resize(400, 300);
        drainEvents();
    }
};

DrawingStroke eraserStroke(std::vector<QPointF> points, double width) {
    DrawingStroke e;
    e.tool = DrawingTool::eraser;
    e.color = Color::clear();
    e.lineWidth = width;
    e.points = std::move(points);
    return e;
}

} // namespace

TEST_F(TwoCanvases, OnlyTheDisplayBeingDrawnOnShowsTheLiveStroke) {
    s.currentDrawingDisplayID = 2;
    s.currentStroke = penStroke({{50, 150}, {200, 150}, {350, 150}}, 10);
    drainEvents();
    EXPECT_GT(alphaAt(canvasImage(second), 200, 150), 200);
    EXPECT_EQ(paintedCount(canvasImage(first)), 0);
    EXPECT_FALSE(first.isShowingLiveStroke());

    s.currentDrawingDisplayID = 1;
    drainEvents();
    EXPECT_GT(alphaAt(canvasImage(first), 200, 150), 200);
    EXPECT_EQ(paintedCount(canvasImage(second)), 0);

    s.currentStroke = std::nullopt;
    drainEvents();
    EXPECT_EQ(paintedCount(canvasImage(first)), 0);
}

TEST_F(TwoCanvases, ALiveStrokeAtHalfOpacityLooksLikeThePlacedStroke) {
    DrawingStroke pen = penStroke({{40, 40}, {120, 200}, {200, 60}, {300, 220}, {80, 120}}, 14);
    pen.color = Color::rgba(0.1, 0.4, 0.9, 0.5);
    s.currentDrawingDisplayID = 1;
    s.currentStroke = pen;
    drainEvents();
    const QImage live = canvasImage(first);
    const QImage placed = renderStroke(pen, first.size());
    // The path crosses itself: where it does, the live stroke must not be darker.
    EXPECT_LE(paintedCount(live, 140), paintedCount(placed, 140));
    EXPECT_NEAR(paintedCount(live), paintedCount(placed), paintedCount(placed) / 100);
}

TEST_F(TwoCanvases, ALiveEraserCutsThroughThePlacedStrokesOnlyInTheComposite) {
    s.currentDrawingDisplayID = 1;
    s.addStroke(penStroke({{20, 150}, {380, 150}}, 40));
    drainEvents();
    s.currentStroke = eraserStroke({{200, 150}, {205, 150}}, 5);
    drainEvents();
    const QImage img = canvasImage(first);
    EXPECT_EQ(alphaAt(img, 200, 150), 0);
    EXPECT_EQ(alphaAt(img, 60, 150), 255);
    // The placed stroke itself is untouched until the pass is applied.
    EXPECT_TRUE(s.strokes->front().erasures.empty());

    s.currentStroke = std::nullopt;
    drainEvents();
    EXPECT_EQ(alphaAt(canvasImage(first), 200, 150), 255);
}

TEST_F(TwoCanvases, NothingShowsOutsideThePinnedWindowsArea) {
    s.currentDrawingDisplayID = 1;
    s.addStroke(penStroke({{0, 150}, {400, 150}}, 30));
    s.currentStroke = penStroke({{200, 0}, {200, 300}}, 30);
    s.canvasConstraintFrame = QRectF(100, 100, 150, 100);
    drainEvents();
    const QImage img = canvasImage(first);
    EXPECT_EQ(paintedBounds(img), QRect(100, 100, 150, 100));
    EXPECT_FALSE(first.findChild<QWidget*>()->mask().isEmpty());

    s.canvasConstraintFrame = std::nullopt;
    drainEvents();
    EXPECT_GT(alphaAt(canvasImage(first), 20, 150), 200);
}

TEST_F(TwoCanvases, AResizeKeepsEveryPlacedStrokeShown) {
    // A display changing its resolution resizes its canvas with nothing
    // changed in the drawing.
    s.addStroke(penStroke({{20, 150}, {380, 150}}, 40));
    s.addStroke(penStroke({{200, 20}, {200, 280}}, 10));
    drainEvents();
    first.resize(500, 350);
    drainEvents();
    EXPECT_EQ(first.strokeCache().strokeCount(), 2u);
    const QImage img = canvasImage(first);
    EXPECT_EQ(alphaAt(img, 60, 150), 255);
    EXPECT_EQ(alphaAt(img, 200, 40), 255);

    // And what is added later lands on top of them.
    s.addStroke(penStroke({{20, 300}, {380, 300}}, 10));
    drainEvents();
    EXPECT_EQ(first.strokeCache().strokeCount(), 3u);
    EXPECT_EQ(alphaAt(canvasImage(first), 60, 150), 255);
}

TEST_F(TwoCanvases, TheLoadingBadgeShowsExactlyWhileTheActiveBrushIsLoading) {
    const QUuid brush = QUuid::createUuid();
    s.activeGIMPBrushID = brush;
    s.selectedTool = DrawingTool::pen;
    drainEvents();
    EXPECT_FALSE(first.isLoadingBadgeVisible());

    s.selectedTool = DrawingTool::gimpBrush;
    drainEvents();
    EXPECT_EQ(first.isLoadingBadgeVisible(), !s.isActiveGIMPBrushLoaded());
    EXPECT_TRUE(first.isLoadingBadgeVisible());
    EXPECT_FALSE(first.isGIMPBrushReady());

    // The cells arrive and are announced.
    QImage cell(8, 8, QImage::Format_ARGB32);
    cell.fill(Qt::white);
    s.gimpStampCache.insert(brush, {cell});
    s.willChange.emit();
    drainEvents();
    EXPECT_EQ(first.isLoadingBadgeVisible(), !s.isActiveGIMPBrushLoaded());

    s.activeGIMPBrushID = std::nullopt;
    drainEvents();
    EXPECT_FALSE(first.isLoadingBadgeVisible());
    EXPECT_TRUE(first.isGIMPBrushReady());
}

TEST_F(TwoCanvases, TheBrushToolIsReadyByTheRules) {
    s.selectedTool = std::nullopt;
    EXPECT_FALSE(first.isGIMPBrushReady());
    s.selectedTool = DrawingTool::eraser;
    EXPECT_TRUE(first.isGIMPBrushReady());
}

// ---- Text box ----

TEST_F(TwoCanvases, CommittedTextIsTrimmedAndPlacedOnTheCanvasItWasTypedOn) {
    s.currentDrawingDisplayID = 1; // the last drag was elsewhere
    s.strokeOpacity = 0.5;
    s.textFontSize = 30;
    second.textBox().setFrame(QRectF(10, 20, 200, 70));
    second.textBox().setPendingText(QStringLiteral("  hi\n"));
    second.textBox().setPendingRotation(15);
    second.textBox().setActive(true);
    s.isTextEditing = true;
    drainEvents();

    EXPECT_TRUE(second.commitPendingText());
    ASSERT_EQ(s.strokes->size(), 1u);
    const DrawingStroke& t0 = s.strokes->front();
    EXPECT_EQ(t0.text, QStringLiteral("hi"));
    EXPECT_EQ(t0.tool, DrawingTool::text);
    EXPECT_EQ(t0.displayID, 2u);
    ASSERT_EQ(t0.points.size(), 1u);
    EXPECT_EQ(t0.points[0], QPointF(110, 55));
    EXPECT_EQ(t0.startPoint, QPointF(10, 20));
    EXPECT_EQ(t0.endPoint, QPointF(210, 90));
    EXPECT_DOUBLE_EQ(t0.color.a, 0.5);
    EXPECT_EQ(t0.explicitFontSize, 30);
    EXPECT_EQ(t0.rotationDegrees, 15);
    EXPECT_EQ(t0.gimpSpacing, 25);
    EXPECT_FALSE(second.textBox().isActive());
    EXPECT_TRUE(second.textBox().pendingText().isEmpty());
    EXPECT_EQ(second.textBox().frame(), QRectF(10, 20, 200, 70));
    EXPECT_FALSE(s.isTextEditing.get());

    second.textBox().setPendingText(QStringLiteral(" \n\t "));
    second.textBox().setActive(true);
    EXPECT_FALSE(second.commitPendingText());
    EXPECT_EQ(s.strokes->size(), 1u);
    EXPECT_FALSE(second.textBox().isActive());
}

TEST_F(TwoCanvases, EndingTextEditingElsewhereCommitsAndLeavesTheToolOnlyForRealText) {
    s.selectedTool = DrawingTool::text;
    first.textBox().setFrame(QRectF(10, 10, 100, 70));
    first.textBox().setPendingText(QStringLiteral("   "));
    first.textBox().setActive(true);
    s.isTextEditing = true;
    drainEvents();
    s.isTextEditing = false; // Esc
    drainEvents();
    EXPECT_TRUE(s.strokes->empty());
    EXPECT_EQ(s.selectedTool.get(), DrawingTool::text);
    EXPECT_FALSE(first.textBox().isActive());

    first.textBox().setPendingText(QStringLiteral("note"));
    first.textBox().setActive(true);
    s.isTextEditing = true;
    drainEvents();
    s.isTextEditing = false;
    drainEvents();
    ASSERT_EQ(s.strokes->size(), 1u);
    EXPECT_FALSE(s.selectedTool.get().has_value());
    EXPECT_TRUE(s.isMoveMode.get());
}

TEST_F(TwoCanvases, OpeningTextEditingForgetsTheLastPlacedStroke) {
    s.addStroke(penStroke({{1, 1}, {5, 5}}));
    drainEvents();
    s.isTextEditing = true;
    drainEvents();
    EXPECT_FALSE(s.lastPlacedStrokeID.get().has_value());
}

// ---- Reactions ----

TEST(CanvasReactions, RunNothingAtCreationOrOnEqualAssignments) {
    TestDrawingState t;
    DrawingState& s = *t.state;
    s.currentDrawingDisplayID = 1;
    s.addStroke(penStroke({{10, 10}, {90, 90}}, 3));
    // Values no canvas has seen change: one made now takes them as they are.
    s.lineWidth = 20;
    s.gimpBrushOpacity = 0.5;
    s.selectedTool = DrawingTool::gimpBrush;
    s.isLineEditing = true;
    DrawingCanvasView canvas(t.state, 1);
    canvas.resize(200, 200);
    canvas.textBox().setActive(true);
    canvas.textBox().setPendingText(QStringLiteral("kept"));
    drainEvents();
    EXPECT_EQ(s.strokes->back().lineWidth, 3);

    // Each of these would restyle, commit, reset or pause if it ran.
    s.lineWidth = 20;
    s.selectedTool = DrawingTool::gimpBrush;
    s.isTextEditing = false;
    s.isLineEditing = true;
    s.selectedColor = s.selectedColor.get();
    drainEvents();
    EXPECT_EQ(s.strokes->back().lineWidth, 3);
    EXPECT_EQ(s.gimpBrushOpacity.get(), 0.5);
    EXPECT_TRUE(canvas.textBox().isActive());
    EXPECT_EQ(canvas.textBox().pendingText(), QStringLiteral("kept"));
    EXPECT_FALSE(canvas.gesture().isEditCooldown());

    // Real changes do run.
    s.isLineEditing = false;
    s.lineWidth = 7;
    drainEvents();
    EXPECT_EQ(s.strokes->back().lineWidth, 7);
}

TEST_F(TwoCanvases, EveryCanvasSeesADeleteRequestThatAnotherConsumed) {
    s.currentDrawingDisplayID = 2;
    s.addStroke(penStroke({{10, 10}, {90, 90}}, 3));
    drainEvents();
    second.openEdit(0);
    drainEvents();
    ASSERT_TRUE(second.editingFreehandStroke());
    // The first canvas, with nothing open, reacts first and resets the
    // request; the second still deletes its stroke.
    s.pendingDeleteEdit = true;
    drainEvents();
    EXPECT_FALSE(second.editingFreehandStroke());
    EXPECT_TRUE(s.strokes->empty());
    EXPECT_FALSE(s.pendingDeleteEdit.get());
}

// ---- Overlays ----

struct WithOverlays : TwoCanvases {
    std::shared_ptr<RecordingOverlayFactory> overlays = std::make_shared<RecordingOverlayFactory>();
    WithOverlays() {
        first.setOverlayFactory(overlays);
        drainEvents();
    }
};

TEST_F(WithOverlays, TheTextLayerIsPresentWithTheTextToolOrAnOpenBox) {
    s.selectedTool = DrawingTool::pen;
    drainEvents();
    EXPECT_EQ(overlays->overlay("text"), nullptr);
    s.selectedTool = DrawingTool::text;
    drainEvents();
    auto* layer = overlays->overlay("text");
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->textBox, &first.textBox());

    // The layer opens a box; switching tools commits it and the layer goes.
    layer->textBox->setFrame(QRectF(30, 30, 120, 70));
    layer->textBox->setPendingText(QStringLiteral("typed"));
    layer->textBox->setActive(true);
    s.isTextEditing = true;
    drainEvents();
    s.selectedTool = DrawingTool::rectangle;
    drainEvents();
    EXPECT_EQ(s.strokes->size(), 1u);
    EXPECT_EQ(overlays->overlay("text"), nullptr);

    // An open box keeps the layer whatever the tool.
    first.textBox().setActive(true);
    drainEvents();
    ASSERT_NE(overlays->overlay("text"), nullptr);
    overlays->overlay("text")->onAction(); // the box's own commit
    drainEvents();
    EXPECT_FALSE(first.textBox().isActive());
}

TEST_F(WithOverlays, TheBezierPenDrawsUntilItsPathOpensInTheEditOverlay) {
    s.currentDrawingDisplayID = 2;
    s.selectedTool = DrawingTool::bezierPen;
    drainEvents();
    auto* drawing = overlays->overlay("bezierDrawing");
    ASSERT_NE(drawing, nullptr);

    DrawingStroke path;
    path.tool = DrawingTool::bezierPen;
    path.customVertices = std::vector<QPointF>{{10, 10}, {100, 40}};
    path.bezierHandleIn = std::vector<QPointF>(2);
    path.bezierHandleOut = std::vector<QPointF>(2);
    drawing->onStroke(path);
    drainEvents();
    EXPECT_EQ(overlays->overlay("bezierDrawing"), nullptr);
    auto* edit = overlays->overlay("bezierEdit");
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(s.strokes->empty());

    // The path is placed when the edit ends, on the display it was drawn on.
    s.selectedColor = Color::rgba(0, 0, 1, 1);
    drainEvents();
    ASSERT_TRUE(edit->stroke);
    EXPECT_EQ(edit->stroke->color, Color::rgba(0, 0, 1, 1));
    edit->onAction(); // a click outside the path
    drainEvents();
    ASSERT_EQ(s.strokes->size(), 1u);
    EXPECT_EQ(s.strokes->front().displayID, 1u);
    EXPECT_TRUE(first.gesture().isEditCooldown());
    EXPECT_NE(overlays->overlay("bezierDrawing"), nullptr);
}

TEST_F(WithOverlays, EachEditSlotGetsItsOverlayInTheCurrentColour) {
    s.currentDrawingDisplayID = 1;
    s.strokeOpacity = 0.5;
    s.addStroke(framedStroke(DrawingTool::ellipse, {10, 10}, {90, 60}));
    s.addStroke(framedStroke(DrawingTool::arrow, {10, 100}, {90, 160}));
    s.addStroke(penStroke({{200, 10}, {260, 60}}));
    drainEvents();
    first.openEdit(2);
    first.openEdit(1);
    first.openEdit(0);
    drainEvents();
    for (const char* kind : {"ellipse", "line", "freehand"}) {
        auto* o = overlays->overlay(kind);
        ASSERT_NE(o, nullptr) << kind;
        ASSERT_TRUE(o->stroke);
        EXPECT_DOUBLE_EQ(o->stroke->color.a, 0.5 * s.selectedColor->a) << kind;
    }
    // An update lands in its slot.
    DrawingStroke moved = *first.editingShapeStroke();
    moved.endPoint = QPointF(120, 80);
    overlays->overlay("ellipse")->onStroke(moved);
    drainEvents();
    EXPECT_EQ(first.editingShapeStroke()->endPoint, QPointF(120, 80));
    EXPECT_EQ(overlays->overlay("ellipse")->stroke->endPoint, QPointF(120, 80));

    s.isLineEditing = false;
    drainEvents();
    EXPECT_TRUE(overlays->live.empty());
    EXPECT_EQ(s.strokes->size(), 3u);
}

TEST_F(TwoCanvases, HoverShowsTheTextCursorOverTheOpenBoxAndKeepsTheEraserRing) {
    first.textBox().setFrame(QRectF(50, 50, 100, 60));
    first.textBox().setActive(true);
    first.hoverChanged(QPointF(60, 60));
    EXPECT_EQ(first.cursor().shape(), Qt::IBeamCursor);
    first.hoverChanged(QPointF(150, 60)); // the far edge is outside
    EXPECT_EQ(first.cursor().shape(), Qt::ArrowCursor);
    first.hoverChanged(std::nullopt);
    EXPECT_EQ(first.eraserCursorLocation(), QPointF(150, 60));

    s.selectedTool = DrawingTool::eraser;
    s.lineWidth = 5;
    drainEvents();
    // The ring has radius 4 × width about the last hover position.
    const QRect ring = paintedBounds(canvasImage(first));
    EXPECT_NEAR(ring.center().x(), 150, 1.5);
    EXPECT_NEAR(ring.center().y(), 60, 1.5);
    EXPECT_NEAR(ring.width(), 41, 2);
    s.selectedTool = DrawingTool::pen;
    drainEvents();
    EXPECT_EQ(paintedCount(canvasImage(first)), 0);
}

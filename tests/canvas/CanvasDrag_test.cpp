#include "canvas/CanvasHitTest.h"
#include "canvas/DrawingCanvasView.h"
#include "geometry/TextLayout.h"
#include "model/DrawingState.h"
#include "support/CanvasFixture.h"
#include "support/CanvasTestUtil.h"
#include "support/RenderTestUtil.h"
#include "support/TestStrokes.h"
#include "support/TestUtil.h"

#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Drag : CanvasFixture {
    Drag() : CanvasFixture({600, 400}) {}
};

} // namespace

TEST_F(Drag, APressWithoutMovementLeavesADot) {
    s.selectedTool = DrawingTool::pen;
    drainEvents();
    press({100, 100});
    EXPECT_EQ(canvas.gesture().pathPoints(), (std::vector<QPointF>{{100, 100}, {100, 100}}));
    ASSERT_TRUE(s.currentStroke.get());
    EXPECT_EQ(s.currentDrawingDisplayID.get(), 1u);
    release({100, 100});
    ASSERT_EQ(count(), 1u);
    // Smoothed (the pen's default) or not, every sample is the press point.
    for (const QPointF& p : s.strokes->front().points) EXPECT_EQ(p, QPointF(100, 100));
    EXPECT_FALSE(s.currentStroke.get());
    EXPECT_TRUE(canvas.gesture().pathPoints().empty());
    EXPECT_FALSE(canvas.gesture().isDragging());
}

TEST_F(Drag, ShapesShowFromThreePointsAndAreKeptFromTwenty) {
    s.selectedTool = DrawingTool::rectangle;
    drainEvents();
    press({100, 100});
    move({102, 100});
    EXPECT_FALSE(s.currentStroke.get());
    move({103, 100});
    EXPECT_TRUE(s.currentStroke.get());
    move({115, 100});
    release({115, 100});
    EXPECT_EQ(count(), 0u);
    EXPECT_FALSE(s.currentStroke.get());
    drag({100, 100}, {120, 100});
    EXPECT_EQ(count(), 1u);
}

TEST_F(Drag, MovesThatCameTogetherGoInAtOnceEachInItsPlace) {
    s.selectedTool = DrawingTool::pen;
    drainEvents();
    const std::vector<QPointF> path = {{100, 100}, {110, 104}, {121, 110}, {130, 118}, {142, 121}, {150, 130}};
    // One event at a time...
    press(path[0]);
    for (std::size_t i = 1; i < path.size(); ++i) move(path[i]);
    ASSERT_TRUE(s.currentStroke.get());
    const std::vector<QPointF> oneByOne = s.currentStroke.get()->points;
    release(path.back());
    // ... and all the moves in one go: the same stroke, published once.
    press(path[0]);
    int published = 0;
    auto counting =
        s.currentStroke.sink([&](const auto&) { ++published; }, platform::Delivery::Immediate, platform::Initial::Skip);
    std::vector<CanvasDragValue> moves;
    for (std::size_t i = 1; i < path.size(); ++i) moves.push_back(CanvasDragValue{path[i], path[0], false});
    canvas.handleDragChanged(moves);
    EXPECT_EQ(published, 1);
    ASSERT_TRUE(s.currentStroke.get());
    EXPECT_EQ(s.currentStroke.get()->points, oneByOne);
    std::vector<QPointF> collected = {path[0]};
    collected.insert(collected.end(), path.begin(), path.end());
    EXPECT_EQ(canvas.gesture().pathPoints(), collected) << "every sample, in order";

    // A shape whose last move of the lot comes back near its start shows
    // the last one that was far enough, as one event at a time would.
    release(path.back());
    s.selectedTool = DrawingTool::rectangle;
    drainEvents();
    press({100, 100});
    const std::vector<CanvasDragValue> shape = {
        {{130, 120}, {100, 100}, false}, {{150, 140}, {100, 100}, false}, {{101, 101}, {100, 100}, false}};
    canvas.handleDragChanged(shape);
    ASSERT_TRUE(s.currentStroke.get());
    EXPECT_EQ(s.currentStroke.get()->endPoint, QPointF(150, 140));
    release({101, 101});
}

TEST_F(Drag, ShiftSquaresShapesButNotLines) {
    s.selectedTool = DrawingTool::ellipse;
    drainEvents();
    press({100, 100}, true);
    move({160, 130}, true);
    EXPECT_EQ(s.currentStroke.get()->endPoint, QPointF(130, 130));
    move({40, 90}, true);
    EXPECT_EQ(s.currentStroke.get()->endPoint, QPointF(90, 90));
    release({40, 90});

    s.selectedTool = DrawingTool::line;
    drainEvents();
    press({100, 100}, true);
    move({160, 130}, true);
    EXPECT_EQ(s.currentStroke.get()->endPoint, QPointF(160, 130));
    release({160, 130});
}

TEST_F(Drag, APressOutsideThePinnedAreaDoesNothingForTheWholeDrag) {
    s.selectedTool = DrawingTool::pen;
    s.canvasConstraintFrame = QRectF(200, 100, 200, 200);
    drainEvents();
    press({150, 150});
    move({250, 150});
    move({300, 200});
    EXPECT_FALSE(s.currentStroke.get());
    release({300, 200});
    EXPECT_EQ(count(), 0u);
    // Started inside, a drag may leave.
    drag({250, 150}, {500, 150});
    EXPECT_EQ(count(), 1u);
}

TEST_F(Drag, TheLiveBrushStrokeTakesTheBrushOpacity) {
    const QUuid brush = QUuid::createUuid();
    s.activeGIMPBrushID = brush;
    s.gimpBrushSpacing = 40;
    s.selectedTool = DrawingTool::gimpBrush;
    // Stamps still loading: nothing is drawn.
    press({100, 100});
    move({150, 100});
    EXPECT_FALSE(s.currentStroke.get());
    release({150, 100});

    QImage cell(8, 8, QImage::Format_RGBA8888_Premultiplied);
    cell.fill(Qt::white);
    s.gimpStampCache.insert(brush, {cell});
    s.gimpBrushOpacity = 0.5;
    press({100, 100});
    move({150, 100});
    ASSERT_TRUE(s.currentStroke.get());
    EXPECT_DOUBLE_EQ(s.currentStroke.get()->color.a, 0.5);
    EXPECT_EQ(s.currentStroke.get()->gimpBrushID, brush);
    EXPECT_EQ(s.currentStroke.get()->gimpSpacing, 40);
    release({150, 100});
    s.gimpBrushOpacity = 1;
    press({100, 100});
    move({150, 100});
    EXPECT_EQ(s.currentStroke.get()->color, s.selectedColor.get());
    release({150, 100});
}

TEST_F(Drag, MoveModeMovesTheTopmostStrokeOfThisDisplay) {
    s.currentDrawingDisplayID = 1;
    DrawingStroke below = penStroke({{50, 100}, {250, 100}}, 6), above = penStroke({{50, 100}, {250, 100}}, 6);
    s.addStroke(below);
    s.addStroke(above);
    s.currentDrawingDisplayID = 2;
    s.addStroke(penStroke({{50, 100}, {250, 100}}, 6)); // another display's, on top
    s.addStroke(penStroke({{300, 300}, {320, 320}}, 4));
    s.selectedTool = std::nullopt;
    s.isMoveMode = true;
    drainEvents();
    ASSERT_FALSE(s.redoStack->size());
    s.redoStack.set({DrawingOp::add(penStroke({{1, 1}, {2, 2}}))});

    press({100, 100});
    move({100, 140});
    EXPECT_EQ(s.strokes->back().id, above.id);
    EXPECT_EQ(s.strokes->back().offset, QSizeF(0, 40));
    release({100, 140});
    EXPECT_EQ(s.strokes->back().offset, QSizeF(0, 0));
    EXPECT_EQ(s.strokes->back().points.front(), QPointF(50, 140));
    EXPECT_TRUE(s.redoStack->empty());
    EXPECT_EQ(count(), 4u);

    // Pressed without moving: selected, its colour copied, no history lost.
    s.redoStack.set({DrawingOp::add(penStroke({{1, 1}, {2, 2}}))});
    s.strokeOpacity = 0.5;
    s.strokes.modify([](auto& l) { l.back().color = Color::rgba(0, 0, 1, 0.5); });
    drainEvents();
    click({100, 140});
    EXPECT_EQ(s.lastPlacedStrokeID.get(), above.id);
    EXPECT_TRUE(s.isSelectionExplicit.get());
    EXPECT_EQ(s.selectedColor.get(), Color::rgba(0, 0, 1, 1));
    EXPECT_EQ(s.redoStack->size(), 1u);
}

TEST_F(Drag, UndoDuringAMoveEndsItSafely) {
    s.currentDrawingDisplayID = 1;
    s.addStroke(penStroke({{50, 100}, {250, 100}}, 6));
    s.selectedTool = std::nullopt;
    s.isMoveMode = true;
    drainEvents();
    press({100, 100});
    move({100, 120});
    s.undo();
    drainEvents();
    move({100, 160});
    release({100, 160});
    EXPECT_TRUE(s.strokes->empty());
    EXPECT_FALSE(canvas.gesture().isDragging());
    // The next drag starts afresh.
    s.selectedTool = DrawingTool::pen;
    drainEvents();
    drag({10, 10}, {90, 90});
    EXPECT_EQ(count(), 1u);
}

TEST_F(Drag, TheEraserInMoveModeErasesWithDabsSpacedByItsRadius) {
    s.currentDrawingDisplayID = 1;
    s.addStroke(penStroke({{0, 100}, {600, 100}}, 10));
    s.selectedTool = DrawingTool::eraser;
    s.isMoveMode.setSilently(true);
    s.lineWidth = 10;
    drainEvents();
    press({100, 100});
    for (int x = 105; x <= 200; x += 5) move({double(x), 100});
    release({200, 100});
    const auto& dabs = s.strokes->front().erasures;
    ASSERT_EQ(dabs.size(), 11u); // every 10 pt from 100 to 200
    EXPECT_EQ(dabs[1].center, QPointF(110, 100));
    EXPECT_EQ(dabs[0].radius, 40);
    EXPECT_EQ(s.strokes->front().offset, QSizeF(0, 0));
    EXPECT_FALSE(s.currentStroke.get());
}

TEST_F(Drag, TwoQuickClicksLeaveADotAndTakeItBack) {
    s.selectedTool = DrawingTool::pen;
    drainEvents();
    click({100, 100});
    EXPECT_EQ(count(), 1u);
    clock->advance(0.3);
    click({108, 106}); // 10 pt away
    EXPECT_EQ(count(), 0u);
    clock->advance(0.1);
    click({108, 106}); // a first click again
    EXPECT_EQ(count(), 1u);
    // A later click on the dot is a click on a stroke: no new dot.
    clock->advance(0.35);
    click({108, 106});
    EXPECT_EQ(count(), 1u);
    // Too late, or too far, for a double-click.
    clock->advance(0.35);
    click({300, 200});
    EXPECT_EQ(count(), 2u);
    clock->advance(0.1);
    click({320, 200});
    EXPECT_EQ(count(), 3u);
}

TEST_F(Drag, ADoubleClickOpensALineInItsEditAndTakesItsColour) {
    s.currentDrawingDisplayID = 1;
    DrawingStroke line = framedStroke(DrawingTool::line, {50, 50}, {300, 50}, 4);
    line.color = Color::rgba(0, 0.6, 0.2, 1);
    s.addStroke(line);
    s.selectedTool = DrawingTool::pen;
    drainEvents();
    click({100, 52});
    EXPECT_EQ(count(), 1u) << "a single click on a line leaves no dot";
    clock->advance(0.3);
    click({104, 52});
    ASSERT_TRUE(canvas.editingLineStroke());
    EXPECT_EQ(canvas.editingLineStroke()->id, line.id);
    EXPECT_EQ(count(), 0u);
    EXPECT_EQ(s.selectedColor.get(), line.color);
    EXPECT_TRUE(s.isLineEditing.get());
}

TEST_F(Drag, ADoubleClickOnABezierPathsCurveOpensItButNotOneOnItsChord) {
    s.currentDrawingDisplayID = 1;
    // An arch from (100, 200) to (300, 200) whose top is (200, 110).
    DrawingStroke path;
    path.tool = DrawingTool::bezierPen;
    path.lineWidth = 4;
    path.points = {{100, 200}, {300, 200}};
    path.customVertices = std::vector<QPointF>{{100, 200}, {300, 200}};
    path.bezierHandleOut = std::vector<QPointF>{{0, -120}, {0, 0}};
    path.bezierHandleIn = std::vector<QPointF>{{0, 0}, {0, -120}};
    path.startPoint = QPointF(100, 200);
    path.endPoint = QPointF(300, 200);
    s.addStroke(path);
    s.selectedTool = DrawingTool::pen;
    drainEvents();

    // On the chord: the first click leaves a dot, the second takes it back.
    click({200, 200});
    clock->advance(0.2);
    click({200, 200});
    EXPECT_FALSE(canvas.editingLineStroke());
    EXPECT_EQ(count(), 1u);

    clock->advance(1);
    click({200, 112});
    EXPECT_EQ(count(), 1u) << "a single click on the curve leaves no dot";
    clock->advance(0.2);
    click({200, 112});
    ASSERT_TRUE(canvas.editingLineStroke());
    EXPECT_EQ(canvas.editingLineStroke()->id, path.id);
    EXPECT_EQ(count(), 0u);
}

TEST_F(Drag, AStrokeWithErasuresNeverOpens) {
    s.currentDrawingDisplayID = 1;
    DrawingStroke cut = penStroke({{50, 50}, {300, 50}}, 6);
    cut.erasures = {ErasureStamp{QPointF(250, 50), 10, QUuid::createUuid()}};
    s.addStroke(cut);
    s.selectedTool = DrawingTool::pen;
    drainEvents();
    click({100, 50});
    EXPECT_EQ(count(), 2u); // a dot on it
    clock->advance(0.3);
    click({100, 50});
    EXPECT_EQ(count(), 1u); // the dot taken back, nothing opened
    EXPECT_FALSE(canvas.editingFreehandStroke());
    EXPECT_FALSE(s.isLineEditing.get());
}

TEST_F(Drag, ATextClickOpensABoxSizedForOneLetter) {
    s.selectedTool = DrawingTool::text;
    s.textFontSize = 0;
    drainEvents();
    click({200, 150});
    ASSERT_TRUE(canvas.textBox().isActive());
    EXPECT_TRUE(s.isTextEditing.get());
    const double size = CanvasGesture::fontSize(QString(), 54);
    EXPECT_NEAR(size, 41.54, 0.01);
    const double w = textBoxSize(QStringLiteral("M"), s.textFontName.get(), size);
    EXPECT_EQ(canvas.textBox().frame(), QRectF(200 - w / 2, 115, w, 70));
    EXPECT_DOUBLE_EQ(CanvasGesture::fontSize(QStringLiteral("a\nb\nc"), 39), 39 / 3.9);
    EXPECT_EQ(CanvasGesture::fontSize(QStringLiteral("a\nb"), 10), 6);

    // A click inside the box does nothing; one outside commits it.
    canvas.textBox().setPendingText(QStringLiteral("hello"));
    click({200, 150});
    EXPECT_TRUE(canvas.textBox().isActive());
    click({500, 350});
    EXPECT_FALSE(canvas.textBox().isActive());
    ASSERT_EQ(count(), 1u);
    EXPECT_EQ(s.strokes->front().text, QStringLiteral("hello"));
}

TEST_F(Drag, TextClicksOnTextDoNothingAndDoubleClicksReopenIt) {
    s.currentDrawingDisplayID = 1;
    DrawingStroke text = framedStroke(DrawingTool::text, {100, 100}, {400, 200});
    text.text = QStringLiteral("Words");
    text.explicitFontSize = 40;
    s.addStroke(text);
    s.selectedTool = DrawingTool::text;
    drainEvents();
    const QPointF on(120, 120);
    ASSERT_TRUE(canvasHitTest(text, on));
    click(on);
    EXPECT_FALSE(canvas.textBox().isActive());
    clock->advance(0.2);
    click(on);
    EXPECT_TRUE(canvas.textBox().isActive());
    EXPECT_EQ(canvas.textBox().pendingText(), QStringLiteral("Words"));
    EXPECT_EQ(count(), 0u);
}

TEST_F(Drag, WithAnEditOpenAPressOnItMovesItAndBesideItClosesIt) {
    s.currentDrawingDisplayID = 1;
    DrawingStroke line = framedStroke(DrawingTool::line, {50, 50}, {300, 50}, 4);
    line.controlPoint = QPointF(175, 60);
    s.addStroke(line);
    s.selectedTool = DrawingTool::line;
    drainEvents();
    canvas.openEdit(0);
    drainEvents();
    drag({100, 52}, {100, 152});
    ASSERT_TRUE(canvas.editingLineStroke());
    EXPECT_EQ(canvas.editingLineStroke()->startPoint, QPointF(50, 150));
    EXPECT_EQ(*canvas.editingLineStroke()->controlPoint, QPointF(175, 160));
    EXPECT_EQ(count(), 0u);

    drag({400, 300}, {450, 350});
    EXPECT_FALSE(canvas.editingLineStroke());
    EXPECT_EQ(count(), 1u) << "the press beside it only wrote it back";
    EXPECT_TRUE(canvas.gesture().isEditCooldown());
    drag({400, 300}, {450, 350});
    EXPECT_EQ(count(), 1u) << "the next press within the pause is ignored";
    clock->advance(0.35);
    drag({400, 300}, {450, 350});
    EXPECT_EQ(count(), 2u);
}

TEST_F(Drag, AClickInThePauseAfterAnEditDoesNothingWithTheTextTool) {
    s.currentDrawingDisplayID = 1;
    s.addStroke(framedStroke(DrawingTool::rectangle, {50, 50}, {150, 150}));
    drainEvents();
    canvas.openEdit(0);
    s.selectedTool = DrawingTool::text;
    drainEvents();
    EXPECT_TRUE(canvas.gesture().isEditCooldown());
    click({300, 300});
    EXPECT_FALSE(canvas.textBox().isActive());
}

TEST_F(Drag, TheBezierPenAndTheMoveToolNeverDrawOnTheCanvas) {
    s.currentDrawingDisplayID = 2;
    s.selectedTool = DrawingTool::bezierPen;
    drainEvents();
    press({100, 100});
    move({150, 150});
    EXPECT_FALSE(s.currentStroke.get());
    EXPECT_EQ(s.currentDrawingDisplayID.get(), 2u);
    release({150, 150});

    s.selectedTool = DrawingTool::move;
    drainEvents();
    click({100, 100});
    drag({100, 100}, {200, 200});
    EXPECT_EQ(count(), 0u);
}

TEST_F(Drag, APathDrawnBesideAnOpenTextBoxLeavesNothingBehind) {
    s.selectedTool = DrawingTool::pen;
    // Only the canvas's own pixels count, not the open box's editor.
    canvas.setOverlayFactory(nullptr);
    canvas.textBox().setFrame(QRectF(10, 10, 100, 70));
    canvas.textBox().setActive(true);
    drainEvents();
    drag({200, 200}, {300, 250});
    EXPECT_EQ(count(), 0u);
    EXPECT_FALSE(s.currentStroke.get());
    EXPECT_EQ(paintedCount(canvasImage(canvas)), 0);
}

TEST_F(Drag, TheWidgetTurnsLeftButtonEventsIntoTheDrag) {
    s.selectedTool = DrawingTool::rectangle;
    drainEvents();
    auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
        QMouseEvent e(type, at, canvas.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, mods);
        QCoreApplication::sendEvent(&canvas, &e);
    };
    send(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::NoModifier);
    send(QEvent::MouseMove, {160, 130}, Qt::LeftButton, Qt::ShiftModifier);
    ASSERT_TRUE(s.currentStroke.get());
    EXPECT_EQ(s.currentStroke.get()->endPoint, QPointF(130, 130));
    send(QEvent::MouseButtonRelease, {160, 130}, Qt::NoButton, Qt::ShiftModifier);
    drainEvents();
    ASSERT_EQ(count(), 1u);
    EXPECT_EQ(s.strokes->front().endPoint, QPointF(130, 130));
    // Other buttons are left to others.
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(50, 50), canvas.mapToGlobal(QPointF(50, 50)), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&canvas, &right);
    EXPECT_FALSE(right.isAccepted());
}

#include "canvas/DrawingCanvasView.h"
#include "model/DrawingState.h"
#include "support/CanvasFixture.h"
#include "support/CanvasTestUtil.h"
#include "support/TestStrokes.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Edits : CanvasFixture {
    Edits() : CanvasFixture({400, 300}) {
        s.currentDrawingDisplayID = 1;
        drainEvents();
    }

    void step(std::int64_t by) {
        s.editingLineWidthStep = s.editingLineWidthStep.get() + by;
        drainEvents();
    }
};

} // namespace

TEST_F(Edits, OpeningTakesTheStrokeOutAndClosingWritesItBackAsANewAddition) {
    DrawingStroke line = framedStroke(DrawingTool::line, {10, 10}, {200, 100});
    line.color = Color::rgba(0, 0.5, 1, 1);
    add(line);
    canvas.openEdit(0);
    drainEvents();
    EXPECT_TRUE(s.strokes->empty());
    EXPECT_TRUE(s.isLineEditing.get());
    EXPECT_EQ(s.selectedColor.get(), line.color);
    ASSERT_TRUE(canvas.editingLineStroke());

    const auto undoDepth = s.undoStack->size();
    canvas.endLineEdit();
    canvas.endLineEdit(); // the second finds the slot empty
    drainEvents();
    ASSERT_EQ(s.strokes->size(), 1u);
    EXPECT_EQ(s.strokes->front().id, line.id);
    EXPECT_EQ(s.undoStack->size(), undoDepth + 1);
    EXPECT_FALSE(s.isLineEditing.get());

    // Undo right after takes the edited stroke off the canvas.
    s.undo();
    EXPECT_TRUE(s.strokes->empty());
}

TEST_F(Edits, InputPausesForAThirdOfASecondAfterAnEditCloses) {
    add(framedStroke(DrawingTool::rectangle, {10, 10}, {100, 100}));
    canvas.openEdit(0);
    drainEvents();
    EXPECT_FALSE(canvas.gesture().isEditCooldown());
    s.isLineEditing = false; // Esc
    drainEvents();
    EXPECT_EQ(s.strokes->size(), 1u);
    EXPECT_TRUE(canvas.gesture().isEditCooldown());
    clock->advance(0.34);
    EXPECT_TRUE(canvas.gesture().isEditCooldown());
    clock->advance(0.011);
    EXPECT_FALSE(canvas.gesture().isEditCooldown());

    // Overlapping pauses: the earliest ends it.
    canvas.bezierEditOutsideTap();
    clock->advance(0.2);
    canvas.bezierEditOutsideTap();
    clock->advance(0.16);
    EXPECT_FALSE(canvas.gesture().isEditCooldown());
}

TEST_F(Edits, WidthStepsMoveByOneWithinOneToAHundred) {
    add(framedStroke(DrawingTool::arrow, {10, 10}, {200, 100}, 100));
    canvas.openEdit(0);
    drainEvents();
    step(+1);
    EXPECT_EQ(canvas.editingLineStroke()->lineWidth, 100);
    EXPECT_EQ(s.lineWidth.get(), 100);
    step(-3); // any decrease lowers by exactly one
    EXPECT_EQ(canvas.editingLineStroke()->lineWidth, 99);
    EXPECT_EQ(s.lineWidth.get(), 99);

    s.lineWidth = 1;
    drainEvents();
    EXPECT_EQ(canvas.editingLineStroke()->lineWidth, 1);
    step(-1);
    EXPECT_EQ(canvas.editingLineStroke()->lineWidth, 1);
    step(+5);
    EXPECT_EQ(canvas.editingLineStroke()->lineWidth, 2);
}

TEST_F(Edits, AWidthStepStartsFromTheLineSlotAndReachesEveryOpenSlot) {
    add(penStroke({{10, 10}, {50, 50}}, 30));
    add(framedStroke(DrawingTool::star, {100, 100}, {200, 200}, 8));
    add(framedStroke(DrawingTool::line, {10, 200}, {100, 250}, 4));
    canvas.openEdit(2);
    canvas.openEdit(1);
    canvas.openEdit(0);
    drainEvents();
    step(+1);
    EXPECT_EQ(canvas.editingLineStroke()->lineWidth, 5);
    EXPECT_EQ(canvas.editingShapeStroke()->lineWidth, 5);
    EXPECT_EQ(canvas.editingFreehandStroke()->lineWidth, 5);
}

TEST_F(Edits, WidthChangesRestyleTheLastPlacedStrokeUnlessErasingOrTextOrCut) {
    const std::size_t pen = add(penStroke({{10, 10}, {50, 50}}, 4));
    const QUuid penID = s.strokes.get()[pen].id;
    s.lineWidth = 9;
    drainEvents();
    EXPECT_EQ(find(penID)->lineWidth, 9);

    s.selectedTool = DrawingTool::eraser;
    drainEvents();
    s.lineWidth = 30;
    drainEvents();
    EXPECT_EQ(find(penID)->lineWidth, 9);
    s.selectedTool = DrawingTool::pen;

    DrawingStroke text = framedStroke(DrawingTool::text, {10, 10}, {200, 80});
    text.text = QStringLiteral("note");
    add(text);
    s.lineWidth = 12;
    drainEvents();
    EXPECT_EQ(find(text.id)->lineWidth, 4);

    DrawingStroke cut = penStroke({{100, 100}, {150, 150}}, 6);
    cut.erasures = {ErasureStamp{QPointF(120, 120), 8, QUuid::createUuid()}};
    add(cut);
    s.lineWidth = 14;
    drainEvents();
    EXPECT_EQ(find(cut.id)->lineWidth, 6);
}

TEST_F(Edits, ColourChangesRestyleTextAndCutStrokesToo) {
    DrawingStroke cut = penStroke({{100, 100}, {150, 150}}, 6);
    cut.erasures = {ErasureStamp{QPointF(120, 120), 8, QUuid::createUuid()}};
    add(cut);
    s.strokeOpacity = 0.5;
    s.selectedColor = Color::rgba(0, 1, 0, 1);
    drainEvents();
    EXPECT_EQ(find(cut.id)->color, Color::rgba(0, 1, 0, 0.5));

    DrawingStroke text = framedStroke(DrawingTool::text, {10, 10}, {200, 80});
    text.text = QStringLiteral("note");
    add(text);
    s.selectedColor = Color::rgba(0, 0, 1, 1);
    drainEvents();
    EXPECT_EQ(find(text.id)->color, Color::rgba(0, 0, 1, 0.5));

    // With no tool, only a stroke the user clicked takes the colour.
    s.selectedTool = std::nullopt;
    s.selectedColor = Color::rgba(1, 1, 0, 1);
    drainEvents();
    EXPECT_EQ(find(text.id)->color, Color::rgba(0, 0, 1, 0.5));
    s.isSelectionExplicit = true;
    s.strokeOpacity = 1;
    drainEvents();
    EXPECT_EQ(find(text.id)->color, Color::rgba(1, 1, 0, 1));
}

TEST_F(Edits, ColourChangesWaitForTheWriteBackWhileEditing) {
    DrawingStroke pen = penStroke({{10, 10}, {50, 50}}, 4);
    add(pen);
    add(penStroke({{100, 10}, {150, 50}}, 4));
    canvas.openEdit(1);
    drainEvents();
    s.selectedColor = Color::rgba(0, 0, 0, 1);
    drainEvents();
    EXPECT_EQ(find(pen.id)->color, Color::red());
    s.isLineEditing = false;
    drainEvents();
    EXPECT_EQ(s.strokes->back().color, Color::rgba(0, 0, 0, 1));
}

TEST_F(Edits, CopiedColoursDoNotCompoundTheOpacity) {
    s.strokeOpacity = 0.5;
    DrawingStroke line = framedStroke(DrawingTool::line, {10, 10}, {200, 100});
    line.color = Color::rgba(0.2, 0.4, 0.6, 0.5);
    add(line);
    for (int round = 0; round < 3; ++round) {
        canvas.openEdit(s.strokes->size() - 1);
        drainEvents();
        EXPECT_DOUBLE_EQ(s.selectedColor->a, 1.0);
        s.isLineEditing = false;
        drainEvents();
        EXPECT_DOUBLE_EQ(s.strokes->back().color.a, 0.5);
    }
    // With no opacity at all the colour is copied as it is.
    s.strokeOpacity.setSilently(0);
    canvas.openEdit(s.strokes->size() - 1);
    drainEvents();
    EXPECT_DOUBLE_EQ(s.selectedColor->a, 0.5);
}

TEST_F(Edits, ReopeningTextFillsTheBoxFromTheStroke) {
    s.strokeOpacity = 0.8;
    DrawingStroke text = framedStroke(DrawingTool::text, {40, 50}, {240, 130});
    text.text = QStringLiteral("two\nlines");
    text.fontName = QStringLiteral("Serif");
    text.explicitFontSize = 22;
    text.rotationDegrees = 12;
    text.color = Color::rgba(0, 0, 1, 0.4);
    canvas.beginTextEdit(text);
    drainEvents();
    EXPECT_EQ(canvas.textBox().frame(), QRectF(40, 50, 200, 80));
    EXPECT_EQ(canvas.textBox().pendingText(), text.text);
    EXPECT_EQ(canvas.textBox().pendingRotation(), 12);
    EXPECT_EQ(s.textFontName.get(), QStringLiteral("Serif"));
    EXPECT_EQ(s.textFontSize.get(), 22);
    EXPECT_DOUBLE_EQ(s.selectedColor->a, 0.5);
    EXPECT_TRUE(canvas.textBox().isActive());
    EXPECT_TRUE(s.isTextEditing.get());
}

TEST_F(Edits, LeavingTheBrushToolResetsItsOpacity) {
    s.gimpBrushOpacity = 0.4;
    s.selectedTool = DrawingTool::gimpBrush;
    drainEvents();
    EXPECT_EQ(s.gimpBrushOpacity.get(), 0.4);
    s.selectedTool = DrawingTool::pen;
    drainEvents();
    EXPECT_EQ(s.gimpBrushOpacity.get(), 1.0);
}

TEST_F(Edits, AToolChangeCommitsTheTextBoxAndWritesBackEveryEdit) {
    add(penStroke({{10, 10}, {50, 50}}));
    add(framedStroke(DrawingTool::ellipse, {100, 100}, {200, 150}));
    canvas.openEdit(1);
    canvas.openEdit(0);
    canvas.textBox().setFrame(QRectF(10, 200, 100, 70));
    canvas.textBox().setPendingText(QStringLiteral("x"));
    canvas.textBox().setActive(true);
    drainEvents();
    s.selectedTool = DrawingTool::arrow;
    drainEvents();
    EXPECT_EQ(s.strokes->size(), 3u);
    EXPECT_FALSE(canvas.editingShapeStroke());
    EXPECT_FALSE(canvas.editingFreehandStroke());
    EXPECT_FALSE(canvas.textBox().isActive());
}

TEST_F(Edits, DeleteThenRedoRestoresTheStroke) {
    DrawingStroke shape = framedStroke(DrawingTool::hexagon, {20, 20}, {120, 120});
    add(penStroke({{300, 10}, {350, 50}}));
    add(shape);
    canvas.openEdit(1);
    drainEvents();
    s.pendingDeleteEdit = true;
    drainEvents();
    EXPECT_FALSE(s.pendingDeleteEdit.get());
    EXPECT_FALSE(s.isLineEditing.get());
    EXPECT_FALSE(canvas.editingShapeStroke());
    EXPECT_EQ(find(shape.id), nullptr);
    ASSERT_EQ(s.redoStack->size(), 1u);

    s.redo();
    drainEvents();
    ASSERT_NE(find(shape.id), nullptr);
    EXPECT_EQ(s.strokes->size(), 2u);

    // With nothing open, a delete request is only reset.
    s.pendingDeleteEdit = true;
    drainEvents();
    EXPECT_FALSE(s.pendingDeleteEdit.get());
    EXPECT_EQ(s.strokes->size(), 2u);
}

TEST_F(Edits, EndingThePinDropsTheStrokeUnderEdit) {
    add(framedStroke(DrawingTool::line, {10, 10}, {100, 10}));
    s.isAttachedToWindow = true;
    drainEvents();
    canvas.openEdit(0);
    drainEvents();
    s.isAttachedToWindow = false;
    drainEvents();
    EXPECT_FALSE(canvas.editingLineStroke());
    EXPECT_TRUE(s.strokes->empty());
    EXPECT_FALSE(s.isLineEditing.get());
}

TEST_F(Edits, OpenEditsAndTextAreWrittenBackBeforeStrokesAreSetAside) {
    DrawingCanvasView other(t.state, 2);
    other.resize(400, 300);
    s.selectedTool = DrawingTool::text;
    add(framedStroke(DrawingTool::rectangle, {10, 10}, {100, 100}));
    canvas.openEdit(0);
    other.textBox().setFrame(QRectF(10, 10, 120, 70));
    other.textBox().setPendingText(QStringLiteral("pinned"));
    other.textBox().setActive(true);
    drainEvents();

    s.hideStrokesForAttach();
    ASSERT_EQ(s.strokesHiddenForAttach.size(), 2u);
    EXPECT_EQ(s.strokesHiddenForAttach[1].text, QStringLiteral("pinned"));
    EXPECT_EQ(s.strokesHiddenForAttach[1].displayID, 2u);
    EXPECT_TRUE(s.strokes->empty());
    drainEvents();
    EXPECT_FALSE(canvas.editingShapeStroke());
    EXPECT_FALSE(other.textBox().isActive());
}

TEST_F(Edits, ACanvasThatGoesAwayWritesItsEditBack) {
    add(framedStroke(DrawingTool::line, {10, 10}, {100, 10}));
    {
        DrawingCanvasView doomed(t.state, 1);
        doomed.openEdit(0);
        EXPECT_TRUE(s.strokes->empty());
    }
    EXPECT_EQ(s.strokes->size(), 1u);
    drainEvents();
}

#include "support/TestDrawingState.h"
#include "support/TestStrokes.h"

#include <gtest/gtest.h>

// The fake pointer rests at the origin, on display 1, the first screen.
using namespace testing_support;

namespace {

ErasureStamp dab(QPointF c, double r = 8) { return ErasureStamp{c, r, QUuid::createUuid()}; }

const DrawingStroke& strokeWithID(const TestDrawingState& t, const QUuid& id) {
    for (const auto& s : t->strokes.get())
        if (s.id == id) return s;
    throw std::runtime_error("stroke not found");
}

} // namespace

TEST(EraserPass, CutsTheStrokesItTouchesAndRecordsOneUndoablePass) {
    TestDrawingState t;
    const auto a = framedStroke(DrawingTool::line, {0, 100}, {200, 100});
    const auto b = framedStroke(DrawingTool::line, {0, 300}, {200, 300});
    const auto far = framedStroke(DrawingTool::line, {0, 600}, {200, 600});
    for (const auto& s : {a, b, far}) t->addStroke(s);

    const std::vector<ErasureStamp> pass{dab({50, 300}), dab({50, 100}), dab({150, 100}), dab({1000, 1000})};
    t->applyEraserStamps(pass, 1);

    ASSERT_EQ(t->undoStack->size(), 4u);
    const auto* op = t->undoStack->back().asErase();
    ASSERT_TRUE(op);
    EXPECT_EQ(op->displayID, 1u);
    // One record per stroke cut, in the order of the strokes; dabs in pass order.
    ASSERT_EQ(op->records.size(), 2u);
    EXPECT_EQ(op->records[0].strokeID, a.id);
    EXPECT_EQ(op->records[1].strokeID, b.id);
    ASSERT_EQ(op->records[0].stamps.size(), 2u);
    EXPECT_EQ(op->records[0].stamps[0].center, QPointF(50, 100));
    EXPECT_EQ(op->records[0].stamps[1].center, QPointF(150, 100));
    // Every dab carries the pass's own identifier, never the caller's.
    for (const auto& r : op->records)
        for (const auto& st : r.stamps) {
            EXPECT_EQ(st.passID, op->passID);
            EXPECT_NE(st.passID, pass[0].passID);
        }
    EXPECT_EQ(strokeWithID(t, a.id).erasures, op->records[0].stamps);
    EXPECT_EQ(strokeWithID(t, b.id).erasures, op->records[1].stamps);
    EXPECT_TRUE(strokeWithID(t, far.id).erasures.empty());
}

TEST(EraserPass, APassThatTouchesNothingKeepsAPendingRedo) {
    TestDrawingState t;
    t->addStroke(framedStroke(DrawingTool::line, {0, 100}, {200, 100}));
    t->addStroke(framedStroke(DrawingTool::line, {0, 300}, {200, 300}));
    t->undo();
    ASSERT_EQ(t->redoStack->size(), 1u);
    const auto undoBefore = t->undoStack.get();
    const auto strokesBefore = t->strokes.get();
    t->applyEraserStamps({dab({800, 800})}, 1);
    t->applyEraserStamps({}, 1);
    EXPECT_EQ(t->redoStack->size(), 1u);
    EXPECT_EQ(t->undoStack.get(), undoBefore);
    EXPECT_EQ(t->strokes.get(), strokesBefore);
    // A pass that does cut something empties the redo stack.
    t->applyEraserStamps({dab({100, 100})}, 1);
    EXPECT_TRUE(t->redoStack->empty());
}

TEST(EraserPass, OnlyStrokesOfItsDisplayAreCut) {
    TestDrawingState t(twoScreens());
    auto onTwo = framedStroke(DrawingTool::line, {0, 100}, {200, 100});
    onTwo.displayID = 2;
    auto unstamped = framedStroke(DrawingTool::line, {0, 100}, {200, 100}); // 0 counts as the first screen's
    t->addStroke(onTwo);
    t->addStroke(unstamped);
    t->applyEraserStamps({dab({100, 100})}, 1);
    EXPECT_TRUE(strokeWithID(t, onTwo.id).erasures.empty());
    EXPECT_EQ(strokeWithID(t, unstamped.id).erasures.size(), 1u);
    t->applyEraserStamps({dab({100, 100})}, 2);
    EXPECT_EQ(strokeWithID(t, onTwo.id).erasures.size(), 1u);
    EXPECT_EQ(strokeWithID(t, unstamped.id).erasures.size(), 1u);
}

TEST(EraserPass, TestsTheDrawnExtentAsWellAsTheBoundingRectangle) {
    TestDrawingState t;
    // A dab only inside the bounding rectangle, off the drawn line, is kept.
    const auto straight = framedStroke(DrawingTool::line, {0, 100}, {200, 100}, 10); // bounding rect y 90…110
    t->addStroke(straight);
    t->applyEraserStamps({dab({100, 116}, 8)}, 1);
    EXPECT_EQ(strokeWithID(t, straight.id).erasures.size(), 1u);

    // The bulge of a curve lies outside its bounding rectangle; a dab the
    // live eraser visibly cut it with must stay on it.
    auto curve = framedStroke(DrawingTool::line, {0, 400}, {200, 400}, 4);
    curve.controlPoint = QPointF(100, 200); // the curve peaks at y = 300
    t->addStroke(curve);
    ASSERT_LT(curve.boundingRect().top(), 397);
    ASSERT_GT(curve.boundingRect().top(), 390);
    t->applyEraserStamps({dab({100, 300}, 6)}, 1);
    EXPECT_EQ(strokeWithID(t, curve.id).erasures.size(), 1u);

    // An arrow head reaches back beside the line, outside its rectangle.
    const auto arrow = framedStroke(DrawingTool::arrow, {0, 700}, {300, 700}, 6); // head 30 long
    t->addStroke(arrow);
    ASSERT_GT(arrow.boundingRect().top(), 690);
    t->applyEraserStamps({dab({280, 684}, 3)}, 1); // touches the upper head stroke
    EXPECT_EQ(strokeWithID(t, arrow.id).erasures.size(), 1u);
}

TEST(EraserPass, UndoingTheNewerOfTwoPassesRemovesOnlyItsDabs) {
    TestDrawingState t;
    const auto a = framedStroke(DrawingTool::line, {0, 100}, {200, 100});
    t->addStroke(a);
    t->applyEraserStamps({dab({20, 100}), dab({40, 100})}, 1);
    t->applyEraserStamps({dab({120, 100})}, 1);
    ASSERT_EQ(strokeWithID(t, a.id).erasures.size(), 3u);
    const auto older = strokeWithID(t, a.id).erasures;

    t->undo(); // the newest pass on the last placed stroke
    const auto& left = strokeWithID(t, a.id).erasures;
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0], older[0]);
    EXPECT_EQ(left[1], older[1]);
    ASSERT_EQ(t->redoStack->size(), 1u);
    EXPECT_TRUE(t->redoStack->back().isErase());
    t->redo();
    EXPECT_EQ(strokeWithID(t, a.id).erasures, older);
}

TEST(PurgeHistory, ADeletedStrokeComesBackOnTopWithOneRedo) {
    TestDrawingState t;
    const auto a = framedStroke(DrawingTool::line, {0, 100}, {200, 100});
    const auto b = framedStroke(DrawingTool::line, {0, 200}, {200, 200});
    t->addStroke(a);
    t->addStroke(b);
    t->undo();
    t->redo(); // nothing pending now; make one to be discarded
    t->addStroke(framedStroke(DrawingTool::line, {0, 300}, {200, 300}));
    t->undo();
    ASSERT_EQ(t->redoStack->size(), 1u);

    // The canvas takes the stroke under edit out, edits it, and deletes it.
    auto edited = a;
    edited.lineWidth = 9;
    t->strokes.modify([&](auto& l) { std::erase_if(l, [&](const DrawingStroke& s) { return s.id == a.id; }); });
    t->lastPlacedStrokeID = a.id;
    t->purgeHistory(edited);

    ASSERT_EQ(t->undoStack->size(), 1u); // only b's addition is left
    EXPECT_EQ(t->undoStack->front().asAdd()->stroke.id, b.id);
    ASSERT_EQ(t->redoStack->size(), 1u); // the earlier pending redo is gone
    EXPECT_EQ(t->redoStack->front(), DrawingOp::add(edited));
    EXPECT_FALSE(t->lastPlacedStrokeID.get());

    t->redo();
    ASSERT_EQ(t->strokes->size(), 2u);
    EXPECT_EQ(t->strokes->back(), edited); // on top, as it was when deleted
    EXPECT_EQ(t->lastPlacedStrokeID.get(), a.id);
    EXPECT_EQ(t->undoStack->back(), DrawingOp::add(edited));
}

TEST(PurgeHistory, OnlyTheNewestAdditionGoesAndPassesStay) {
    TestDrawingState t;
    const auto a = framedStroke(DrawingTool::line, {0, 100}, {200, 100});
    t->addStroke(a);
    t->applyEraserStamps({dab({50, 100})}, 1);
    // Re-added after an edit: a second addition of the same stroke.
    t->addStroke(strokeWithID(t, a.id));
    ASSERT_EQ(t->undoStack->size(), 3u);
    t->strokes.set({});
    t->purgeHistory(a);
    ASSERT_EQ(t->undoStack->size(), 2u);
    EXPECT_TRUE(t->undoStack.get()[0].isAdd());
    EXPECT_TRUE(t->undoStack.get()[1].isErase());
    // Purging a stroke that has no addition left still offers its restoration.
    TestDrawingState fresh;
    fresh->purgeHistory(a);
    EXPECT_EQ(fresh->redoStack.get(), std::vector<DrawingOp>{DrawingOp::add(a)});
}

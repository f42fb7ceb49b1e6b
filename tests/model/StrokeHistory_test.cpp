#include "support/TestDrawingState.h"

#include <gtest/gtest.h>

using testing_support::FakeScreenProvider;
using testing_support::TestDrawingState;

namespace {

constexpr platform::DisplayID A = 1;
constexpr platform::DisplayID B = 2;

std::vector<platform::Screen> twoScreens() {
    return {FakeScreenProvider::makeScreen(A, platform::Rect(0, 0, 1440, 900)),
            FakeScreenProvider::makeScreen(B, platform::Rect(1440, 0, 1920, 1080))};
}

DrawingStroke strokeOn(platform::DisplayID display) {
    DrawingStroke s;
    s.displayID = display;
    s.points = {{10, 10}, {20, 20}};
    return s;
}

struct History : ::testing::Test {
    TestDrawingState t{twoScreens()};
    DrawingState& s = *t.state;

    void pointerOn(platform::DisplayID display) {
        t.mouse->setLocation(display == A ? platform::Point{100, 100} : platform::Point{2000, 500});
    }
    std::vector<QUuid> ids() const {
        std::vector<QUuid> result;
        for (const auto& x : s.strokes.get()) result.push_back(x.id);
        return result;
    }
};

} // namespace

TEST_F(History, AddStrokeStampsOnlyDisplayZeroAndRecordsTheStampedCopy) {
    s.currentDrawingDisplayID = B;
    s.redoStack.set({DrawingOp::add(strokeOn(A))});
    const DrawingStroke fresh = strokeOn(0);
    s.addStroke(fresh);
    ASSERT_EQ(s.strokes->size(), 1u);
    EXPECT_EQ(s.strokes->back().displayID, B);
    EXPECT_EQ(s.lastPlacedStrokeID.get(), fresh.id);
    EXPECT_TRUE(s.redoStack->empty());
    ASSERT_EQ(s.undoStack->size(), 1u);
    EXPECT_EQ(s.undoStack->back().asAdd()->stroke, s.strokes->back());

    const DrawingStroke edited = strokeOn(A); // re-added after an edit keeps its display
    s.addStroke(edited);
    EXPECT_EQ(s.strokes->back().displayID, A);
}

TEST_F(History, TheFiftyFirstOperationDropsTheOldest) {
    pointerOn(A);
    std::vector<DrawingStroke> added;
    for (int i = 0; i < 51; ++i) {
        added.push_back(strokeOn(A));
        s.addStroke(added.back());
    }
    ASSERT_EQ(s.undoStack->size(), 50u);
    EXPECT_EQ(s.undoStack->front().asAdd()->stroke.id, added[1].id);
    for (int i = 0; i < 60; ++i) s.undo();
    EXPECT_TRUE(s.undoStack->empty());
    EXPECT_EQ(s.redoStack->size(), 50u);
    ASSERT_EQ(s.strokes->size(), 1u); // the first stroke can no longer be undone
    EXPECT_EQ(s.strokes->front().id, added[0].id);
}

TEST_F(History, UndoOnOneDisplaySkipsNewerOperationsOfAnother) {
    const DrawingStroke a1 = strokeOn(A), b1 = strokeOn(B), a2 = strokeOn(A), b2 = strokeOn(B);
    for (const auto& x : {a1, b1, a2, b2}) s.addStroke(x);

    pointerOn(A);
    s.undo();
    EXPECT_EQ(ids(), (std::vector<QUuid>{a1.id, b1.id, b2.id}));
    ASSERT_EQ(s.undoStack->size(), 3u);
    EXPECT_EQ(s.undoStack->back().asAdd()->stroke.id, b2.id); // B's operation keeps its place

    s.redo();
    pointerOn(B);
    s.redo(); // nothing of B to redo
    EXPECT_EQ(ids(), (std::vector<QUuid>{a1.id, b1.id, b2.id, a2.id}));
    s.undo();
    EXPECT_EQ(ids(), (std::vector<QUuid>{a1.id, b1.id, a2.id}));
}

TEST_F(History, PointerOffEveryScreenActsOnTheFirstScreen) {
    s.addStroke(strokeOn(B));
    s.addStroke(strokeOn(0)); // stamped 0: currentDrawingDisplayID is 0
    EXPECT_EQ(s.strokes->back().displayID, 0u);
    t.mouse->setLocation({-5000, -5000});
    EXPECT_EQ(s.displayIDUnderMouse(), A);
    s.undo();
    ASSERT_EQ(s.strokes->size(), 1u); // the display-0 stroke counts as the first screen's
    EXPECT_EQ(s.strokes->front().displayID, B);
    s.undo();
    EXPECT_EQ(s.strokes->size(), 1u);

    // Edges: a frame's maximum edge is outside it.
    t.mouse->setLocation({1440, 100});
    EXPECT_EQ(s.displayIDUnderMouse(), B);
    t.mouse->setLocation({1439.5, 900});
    EXPECT_EQ(s.displayIDUnderMouse(), A);
}

TEST(HistoryWithoutScreens, OnlyDisplayZeroIsEligible) {
    TestDrawingState t{{}};
    auto& s = *t.state;
    DrawingStroke one = strokeOn(1);
    s.addStroke(one);
    s.addStroke(strokeOn(0));
    EXPECT_EQ(s.displayIDUnderMouse(), 0u);
    EXPECT_EQ(s.strokesOnDisplay(0).size(), 1u);
    s.undo();
    EXPECT_EQ(s.strokes->size(), 1u);
    s.undo(); // display 1 is not 0
    ASSERT_EQ(s.strokes->size(), 1u);
    EXPECT_EQ(s.strokes->front().id, one.id);
}

TEST_F(History, StrokesOnDisplayFollowsTheDisplayRule) {
    const DrawingStroke zero = strokeOn(0), a = strokeOn(A), b = strokeOn(B);
    s.strokes.set({zero, b, a});
    auto onA = s.strokesOnDisplay(A);
    ASSERT_EQ(onA.size(), 2u);
    EXPECT_EQ(onA[0].id, zero.id);
    EXPECT_EQ(onA[1].id, a.id);
    ASSERT_EQ(s.strokesOnDisplay(B).size(), 1u);
    EXPECT_TRUE(s.displayMatches(0, A));
    EXPECT_FALSE(s.displayMatches(0, B));
    EXPECT_FALSE(s.displayMatches(B, 0));
    t.screens->setScreens({FakeScreenProvider::makeScreen(B, platform::Rect(0, 0, 800, 600))});
    EXPECT_TRUE(s.displayMatches(0, B)); // the first screen is read afresh
}

TEST_F(History, UndoAndRedoNotifyInStepOrder) {
    pointerOn(A);
    s.addStroke(strokeOn(A));
    std::vector<std::string> order;
    int willChange = 0;
    auto w = s.willChange.connect([&] { ++willChange; });
    auto subs = std::vector<platform::Subscription>{};
    subs.push_back(s.undoStack.sink([&](const auto&) { order.push_back("undo"); }, platform::Delivery::Immediate,
                                    platform::Initial::Skip));
    subs.push_back(s.strokes.sink([&](const auto&) { order.push_back("strokes"); }, platform::Delivery::Immediate,
                                  platform::Initial::Skip));
    subs.push_back(s.lastPlacedStrokeID.sink([&](const auto&) { order.push_back("last"); },
                                             platform::Delivery::Immediate, platform::Initial::Skip));
    subs.push_back(s.redoStack.sink([&](const auto&) { order.push_back("redo"); }, platform::Delivery::Immediate,
                                    platform::Initial::Skip));
    s.undo();
    EXPECT_EQ(order, (std::vector<std::string>{"undo", "strokes", "last", "redo"}));
    EXPECT_EQ(willChange, 5); // the four, and isSelectionExplicit cleared by the ID change
    order.clear();
    s.redo();
    EXPECT_EQ(order, (std::vector<std::string>{"redo", "strokes", "last", "undo"}));
}

TEST_F(History, EmptyStacksChangeNothing) {
    int willChange = 0;
    auto w = s.willChange.connect([&] { ++willChange; });
    s.undo();
    s.redo();
    EXPECT_EQ(willChange, 0);
}

TEST_F(History, RedoOfAnAdditionPutsTheStrokeOnTopAndNeverTwice) {
    pointerOn(A);
    const DrawingStroke x = strokeOn(A), y = strokeOn(A);
    s.addStroke(x);
    s.addStroke(y);
    // An edit takes x out and adds it again: two additions of x.
    s.strokes.modify([&](auto& l) { l.erase(l.begin()); });
    DrawingStroke xEdited = x;
    xEdited.lineWidth = 30;
    s.addStroke(xEdited);
    ASSERT_EQ(s.undoStack->size(), 3u);

    s.undo(); // removes x
    s.undo(); // y
    s.undo(); // older addition of x: nothing left to remove
    EXPECT_TRUE(s.strokes->empty());
    EXPECT_EQ(s.redoStack->size(), 3u);
    s.redo(); // x as first drawn
    s.redo(); // y
    s.redo(); // x as edited: replaces the copy below y, on top
    EXPECT_EQ(ids(), (std::vector<QUuid>{y.id, x.id}));
    EXPECT_EQ(s.strokes->back().lineWidth, 30);
    EXPECT_EQ(s.lastPlacedStrokeID.get(), x.id);

    // Undo of an addition whose stroke is gone still moves it to the redo stack.
    s.strokes.set({});
    s.undo();
    EXPECT_EQ(s.redoStack->size(), 1u);
    s.redo();
    EXPECT_EQ(ids(), (std::vector<QUuid>{x.id}));
}

TEST_F(History, NewStrokeEmptiesRedoButRedoDoesNot) {
    pointerOn(A);
    for (int i = 0; i < 3; ++i) s.addStroke(strokeOn(A));
    s.undo();
    s.undo();
    s.redo();
    EXPECT_EQ(s.redoStack->size(), 1u);
    s.addStroke(strokeOn(A));
    EXPECT_TRUE(s.redoStack->empty());
}

TEST_F(History, EraserPassOnTheLastPlacedStrokeIsUndoneFirst) {
    pointerOn(A);
    const DrawingStroke a = strokeOn(A);
    s.addStroke(a);
    const QUuid pass = QUuid::createUuid();
    const ErasureStamp dab{{15, 15}, 6, pass};
    s.strokes.modify([&](auto& l) { l[0].erasures.push_back(dab); });
    s.pushUndo(DrawingOp::erase(pass, A, {ErasureRecord{a.id, {dab}}}));
    const DrawingStroke b = strokeOn(A);
    s.addStroke(b);
    s.lastPlacedStrokeID = a.id; // a was moved: the last placed stroke again

    s.undo();
    EXPECT_EQ(ids(), (std::vector<QUuid>{a.id, b.id}));
    EXPECT_TRUE(s.strokes->front().erasures.empty());
    ASSERT_TRUE(s.redoStack->back().isErase());

    s.undo(); // a has no dabs left: the ordinary rule takes b
    EXPECT_EQ(ids(), (std::vector<QUuid>{a.id}));
}

TEST_F(History, UndoAndRedoOfAPassTouchOnlyItsOwnDabs) {
    pointerOn(A);
    const DrawingStroke a = strokeOn(A), c = strokeOn(A);
    s.addStroke(a);
    s.addStroke(c);
    const QUuid p1 = QUuid::createUuid(), p2 = QUuid::createUuid(), p3 = QUuid::createUuid();
    const ErasureStamp d1{{1, 1}, 2, p1}, d2{{2, 2}, 2, p2}, d2b{{3, 3}, 2, p2}, d3{{4, 4}, 2, p3};
    s.strokes.modify([&](auto& l) {
        l[0].erasures = {d1, d2, d2b};
        l[1].erasures = {d2};
    });
    s.pushUndo(DrawingOp::erase(p1, A, {ErasureRecord{a.id, {d1}}}));
    s.pushUndo(DrawingOp::erase(p2, A, {ErasureRecord{a.id, {d2, d2b}}, ErasureRecord{c.id, {d2}}}));
    s.lastPlacedStrokeID = std::nullopt;

    s.undo();
    EXPECT_EQ(s.strokes->at(0).erasures, std::vector<ErasureStamp>{d1});
    EXPECT_TRUE(s.strokes->at(1).erasures.empty());
    s.strokes.modify([&](auto& l) { l[0].erasures.push_back(d3); });
    s.redo();
    EXPECT_EQ(s.strokes->at(0).erasures, (std::vector<ErasureStamp>{d1, d3, d2, d2b}));
    EXPECT_EQ(s.strokes->at(1).erasures, std::vector<ErasureStamp>{d2});
}

TEST_F(History, ClearAllDropsTheLiveStrokeButNotTheStrokesSetAside) {
    pointerOn(A);
    s.addStroke(strokeOn(A));
    s.undo();
    s.addStroke(strokeOn(A));
    s.currentStroke = strokeOn(A);
    s.strokesHiddenForAttach = {strokeOn(B)};
    s.clearAll();
    EXPECT_TRUE(s.strokes->empty());
    EXPECT_FALSE(s.currentStroke.get());
    EXPECT_TRUE(s.undoStack->empty() && s.redoStack->empty());
    EXPECT_FALSE(s.lastPlacedStrokeID.get());
    EXPECT_EQ(s.strokesHiddenForAttach.size(), 1u);
}

#include "support/TestDrawingState.h"
#include "support/TestStrokes.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class FakeOverlayController : public OverlayController {
public:
    bool hasWindow() const override { return windowPresent; }
    bool isWindowVisible() const override { return windowPresent; }
    platform::Rect windowFrame() const override { return frame; }
    void setWindowFrame(const platform::Rect& f, bool display) override {
        frame = f;
        frameChanges.push_back({f, display});
    }
    void showWindow() override {}
    void orderFront() override {}
    void raiseAboveOtherOverlays() override {}
    void makeKey() override {}
    void setIgnoresMouseEvents(bool) override {}
    void setWindowLevel(int) override {}
    void removeMouseMoveMonitors() override {}
    void close() override {}

    struct Change {
        platform::Rect frame;
        bool display;
    };
    bool windowPresent = true;
    platform::Rect frame;
    std::vector<Change> frameChanges;
};

DrawingStroke dot(double x) {
    DrawingStroke s;
    s.points = {{x, 10}};
    return s;
}

} // namespace

TEST(StrokesSetAside, PinAndUnpinWithSeventyStrokesRestoresThemWithFiftyUndos) {
    TestDrawingState t;
    std::vector<QUuid> ids;
    for (int i = 0; i < 71; ++i) {
        const auto s = dot(i);
        ids.push_back(s.id);
        t->addStroke(s);
    }
    t->undo(); // 70 strokes left, and a pending redo, which pinning drops
    t->hideStrokesForAttach();
    EXPECT_TRUE(t->strokes->empty());
    EXPECT_EQ(t->strokesHiddenForAttach.size(), 70u);
    EXPECT_TRUE(t->undoStack->empty() && t->redoStack->empty());
    EXPECT_FALSE(t->lastPlacedStrokeID.get());
    t->undo(); // nothing to undo while pinned
    EXPECT_TRUE(t->strokes->empty());

    // Drawn while pinned, gone when the pin ends.
    t->addStroke(dot(500));
    t->restoreStrokesAfterAttach();

    ASSERT_EQ(t->strokes->size(), 70u);
    EXPECT_TRUE(t->strokesHiddenForAttach.empty());
    EXPECT_FALSE(t->currentStroke.get());
    ASSERT_EQ(t->undoStack->size(), 50u);
    EXPECT_EQ(t->undoStack->front().asAdd()->stroke.id, ids[20]);
    EXPECT_EQ(t->undoStack->back().asAdd()->stroke.id, ids[69]);
    EXPECT_TRUE(t->redoStack->empty());
    for (int i = 0; i < 60; ++i) t->undo();
    ASSERT_EQ(t->strokes->size(), 20u); // the oldest cannot be undone
    EXPECT_EQ(t->strokes->back().id, ids[19]);
}

TEST(StrokesSetAside, ThePinnedDrawingIsReplacedNotMerged) {
    TestDrawingState t;
    t->addStroke(dot(1));
    t->hideStrokesForAttach();
    t->addStroke(dot(2));
    t->currentStroke = dot(3);
    t->restoreStrokesAfterAttach();
    ASSERT_EQ(t->strokes->size(), 1u);
    EXPECT_EQ(t->strokes->front().points.front(), QPointF(1, 10));
    EXPECT_FALSE(t->currentStroke.get());
}

TEST(StrokesSetAside, OpenEditsAreWrittenBackBeforeTheStrokesGoAside) {
    TestDrawingState t;
    t->addStroke(dot(1));
    // A canvas holding a stroke under edit writes it back when asked.
    std::optional<DrawingStroke> underEdit = dot(2);
    std::vector<std::optional<platform::DisplayID>> asked;
    auto sub = t->endOpenEditsRequested.connect([&](std::optional<platform::DisplayID> display) {
        asked.push_back(display);
        if (underEdit) t->addStroke(*std::exchange(underEdit, std::nullopt));
    });
    t->hideStrokesForAttach();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_FALSE(asked[0]); // every canvas
    EXPECT_EQ(t->strokesHiddenForAttach.size(), 2u);
    EXPECT_TRUE(t->undoStack->empty());

    // An edit opened while pinned ends in the pinned drawing, which the
    // restore then replaces.
    underEdit = dot(3);
    t->restoreStrokesAfterAttach();
    EXPECT_EQ(asked.size(), 2u);
    ASSERT_EQ(t->strokes->size(), 2u);
    for (const auto& s : t->strokes.get()) EXPECT_NE(s.points.front(), QPointF(3, 10));
}

TEST(PinnedOverlayFrame, FollowsTheFirstDisplayNamedAndSkipsRepeats) {
    TestDrawingState t(twoScreens());
    auto one = std::make_shared<FakeOverlayController>();
    auto two = std::make_shared<FakeOverlayController>();
    t->overlayControllers[1] = one;
    t->overlayControllers[2] = two;

    const platform::Rect f1(100, 100, 800, 600), f2(120, 90, 800, 600);
    t->setAttachedOverlayFrame(f1, 2);
    t->setAttachedOverlayFrame(f1, 2);
    EXPECT_EQ(t->attachedDisplayID, 2u);
    ASSERT_EQ(two->frameChanges.size(), 1u); // the same frame twice resizes once
    EXPECT_EQ(two->frameChanges[0].frame, f1);
    EXPECT_FALSE(two->frameChanges[0].display);
    // Another display named later: the first one's overlay still follows.
    t->setAttachedOverlayFrame(f2, 1);
    EXPECT_EQ(t->attachedDisplayID, 2u);
    EXPECT_EQ(t->currentOverlayFrame, f2);
    ASSERT_EQ(two->frameChanges.size(), 2u);
    EXPECT_TRUE(one->frameChanges.empty());

    t->restoreOverlayFrames();
    ASSERT_EQ(two->frameChanges.size(), 3u);
    EXPECT_EQ(two->frameChanges.back().frame, platform::Rect(1440, 0, 1920, 1080));
    EXPECT_TRUE(two->frameChanges.back().display);
    EXPECT_FALSE(t->currentOverlayFrame);
    EXPECT_EQ(t->attachedDisplayID, 0u);
}

TEST(PinnedOverlayFrame, AVanishedDisplayOrWindowIsLeftAloneButTheRecordClears) {
    TestDrawingState t(twoScreens());
    auto two = std::make_shared<FakeOverlayController>();
    t->overlayControllers[2] = two;
    t->setAttachedOverlayFrame(platform::Rect(0, 0, 300, 300), 2);
    t.screens->setScreens({FakeScreenProvider::makeScreen(1, platform::Rect(0, 0, 1440, 900))});
    t->restoreOverlayFrames();
    EXPECT_EQ(two->frameChanges.size(), 1u);
    EXPECT_FALSE(t->currentOverlayFrame);
    EXPECT_EQ(t->attachedDisplayID, 0u);

    // A controller without a window is skipped, and so is a missing one.
    auto windowless = std::make_shared<FakeOverlayController>();
    windowless->windowPresent = false;
    t->overlayControllers[1] = windowless;
    t->setAttachedOverlayFrame(platform::Rect(0, 0, 300, 300), 1);
    t->restoreOverlayFrames();
    EXPECT_TRUE(windowless->frameChanges.empty());
    t->setAttachedOverlayFrame(platform::Rect(0, 0, 300, 300), 7);
    EXPECT_EQ(t->attachedDisplayID, 7u);
    t->restoreOverlayFrames();
    EXPECT_EQ(t->attachedDisplayID, 0u);
}

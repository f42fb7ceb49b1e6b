// The left-button drag on its own, over a small host instead of a canvas:
// what it draws into the state and what it asks of its host.

#include "canvas/CanvasGesture.h"
#include "canvas/CanvasGestureHost.h"
#include "canvas/TextBox.h"
#include "model/DrawingState.h"
#include "support/CanvasTestUtil.h"
#include "support/TestDrawingState.h"
#include "support/TestStrokes.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <QObject>

#include <vector>

using namespace testing_support;

namespace {

// Remembers what the gesture asked for; nothing is ever open in it.
class RecordingHost : public CanvasGestureHost {
public:
    explicit RecordingHost(std::shared_ptr<DrawingState> state) : state_(std::move(state)) {}

    DrawingState* liveState() const override { return state_.get(); }
    platform::DisplayID displayID() const override { return 2; }
    CanvasClock::TimePoint now() const override { return clock.now(); }
    void after(double seconds, std::function<void()> work) override { clock.after(seconds, &context_, work); }
    bool isGIMPBrushReady() const override { return true; }
    Color colorCopiedFrom(const Color& strokeColor) const override { return strokeColor; }
    EditSession* openEditSession() override { return nullptr; }
    const std::optional<DrawingStroke>& editingLineStroke() const override { return noStroke_; }
    void openEdit(std::size_t index) override { openedEdits.push_back(index); }
    void endLineEdit() override {}
    void closeEdits() override {}
    TextBox& textBox() override { return textBox_; }
    bool commitPendingText() override { return false; }
    void beginTextEdit(const DrawingStroke&) override {}
    QRectF visibleCanvasArea() const override { return QRectF(0, 0, 1000, 800); }
    void dragMovedTo(QPointF location) override { ring = location; }
    void scheduleUpdate() override { ++updates; }
    void showMoveCursor(bool grabbing) override { cursors.push_back(grabbing); }

    ManualClock clock;
    std::optional<QPointF> ring;
    int updates = 0;
    std::vector<std::size_t> openedEdits;
    std::vector<bool> cursors;

private:
    std::shared_ptr<DrawingState> state_;
    QObject context_;
    TextBox textBox_;
    std::optional<DrawingStroke> noStroke_;
};

struct GestureOnItsOwn : ::testing::Test {
    TestDrawingState t{twoScreens()};
    DrawingState& s = *t.state;
    RecordingHost host{t.state};
    CanvasGesture gesture{host};

    void drag(QPointF from, QPointF to, int steps = 5) {
        for (int i = 0; i <= steps; ++i) gesture.changed({from + (to - from) * (double(i) / steps), from});
        gesture.ended({to, from});
    }
    void click(QPointF at) {
        gesture.changed({at, at});
        gesture.ended({at, at});
    }
};

} // namespace

TEST_F(GestureOnItsOwn, ADragDrawsOnTheHostsDisplayAndTheRingFollowsIt) {
    s.selectedTool = DrawingTool::pen;
    gesture.changed({QPointF(10, 10), QPointF(10, 10)});
    gesture.changed({QPointF(60, 40), QPointF(10, 10)});
    ASSERT_TRUE(s.currentStroke.get());
    EXPECT_EQ(s.currentDrawingDisplayID.get(), 2u);
    EXPECT_EQ(host.ring, QPointF(60, 40));
    EXPECT_EQ(gesture.mode(), CanvasGesture::DragMode::drawing);
    gesture.ended({QPointF(60, 40), QPointF(10, 10)});
    ASSERT_EQ(s.strokes->size(), 1u);
    EXPECT_EQ(s.strokes->back().tool, DrawingTool::pen);
    EXPECT_EQ(s.strokes->back().displayID, 2u);
    EXPECT_FALSE(s.currentStroke.get());
    EXPECT_GE(host.updates, 3) << "every event and the release";
}

TEST_F(GestureOnItsOwn, DoubleClicksOpenEditsByTheHostsClock) {
    s.selectedTool = DrawingTool::line;
    s.currentDrawingDisplayID = 2;
    s.addStroke(framedStroke(DrawingTool::line, {100, 100}, {300, 100}));
    click({200, 100});
    host.clock.advance(0.2);
    click({200, 101});
    EXPECT_EQ(host.openedEdits, std::vector<std::size_t>{0});
    // Clicks further apart in time are two single clicks.
    host.clock.advance(1);
    click({200, 100});
    host.clock.advance(0.4);
    click({200, 100});
    EXPECT_EQ(host.openedEdits.size(), 1u);
}

TEST_F(GestureOnItsOwn, MovingAPlacedStrokeGrabsThenLetsGo) {
    s.selectedTool = DrawingTool::pen;
    s.isMoveMode = true;
    s.currentDrawingDisplayID = 2;
    s.addStroke(framedStroke(DrawingTool::line, {100, 100}, {300, 100}));
    drag({200, 100}, {200, 160});
    ASSERT_FALSE(host.cursors.empty());
    EXPECT_TRUE(host.cursors.front());
    EXPECT_FALSE(host.cursors.back());
    EXPECT_EQ(s.strokes->back().startPoint, QPointF(100, 160));
}

TEST_F(GestureOnItsOwn, APressInThePauseAfterAnEditStartsNothingUntilTheHostsTimerEnds) {
    s.selectedTool = DrawingTool::pen;
    gesture.startEditCooldown();
    drag({10, 10}, {80, 80});
    EXPECT_TRUE(s.strokes->empty());
    host.clock.advance(0.35);
    EXPECT_FALSE(gesture.isEditCooldown());
    drag({10, 10}, {80, 80});
    EXPECT_EQ(s.strokes->size(), 1u);
}

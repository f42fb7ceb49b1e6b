// The pacing of a drag's drawing: at once after a pause, then once a frame,
// late in it, with every step in the state as it comes.
#include "canvas/DrawingCanvasView.h"
#include "canvas/FramePacer.h"
#include "model/DrawingState.h"
#include "support/CanvasTestUtil.h"
#include "support/ManualDisplayLink.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <memory>

using namespace testing_support;

namespace {

struct Paced {
    int presented = 0;
    ManualLink* link = nullptr;
    ManualPacerClock* clock = nullptr;
    FramePacer pacer{[this] { ++presented; }};
    Paced() {
        auto c = std::make_unique<ManualPacerClock>();
        clock = c.get();
        pacer.useDisplayLink(manualLinks(*clock, link), 1, std::move(c));
    }
};

constexpr double kInterval = ManualLink::kInterval;

} // namespace

TEST(FramePacer, AfterAPauseAtOnceThenOneFrameARefreshLateInIt) {
    Paced p;
    ASSERT_TRUE(p.link);
    EXPECT_FALSE(p.pacer.isLinkRunning()) << "nothing ticks before anything moves";
    EXPECT_TRUE(p.pacer.changed()) << "the first change after a pause shows at once";
    EXPECT_TRUE(p.pacer.isLinkRunning());
    // A stream of changes within the refresh: none shows at once.
    EXPECT_FALSE(p.pacer.changed());
    EXPECT_FALSE(p.pacer.changed());
    EXPECT_TRUE(p.pacer.isPending());
    // The refresh gives the phase; the frame comes shortly before the next.
    p.link->refresh();
    p.clock->advance(kInterval - FramePacer::kLateMargin - 0.002);
    EXPECT_EQ(p.presented, 0);
    p.clock->advance(0.003);
    EXPECT_EQ(p.presented, 1);
    EXPECT_FALSE(p.pacer.isPending());
    // More changes at once: one frame for them, late in the next refresh.
    EXPECT_FALSE(p.pacer.changed());
    EXPECT_FALSE(p.pacer.changed());
    p.clock->advance(kInterval - 0.01);
    EXPECT_EQ(p.presented, 1);
    p.clock->advance(0.01);
    EXPECT_EQ(p.presented, 2);
    p.clock->advance(kInterval);
    EXPECT_EQ(p.presented, 2);

    // Refreshes with nothing to show stop the link.
    p.link->refresh();
    p.link->refresh();
    EXPECT_FALSE(p.pacer.isLinkRunning());
}

TEST(FramePacer, NoChangeWaitsMoreThanARefreshAfterTheLastFrame) {
    Paced p;
    // A change after a pause shows at once, a fifth of a refresh before a
    // late moment (the refreshes' phase is known from an earlier drag).
    EXPECT_TRUE(p.pacer.changed());
    p.link->refreshAt(p.clock->now() - kInterval + FramePacer::kLateMargin + kInterval / 5);
    // The next change may not show at that late moment, so soon after the
    // last frame, but it must not wait for the one after it either.
    EXPECT_FALSE(p.pacer.changed());
    p.clock->advance(kInterval / 5 + 0.01);
    EXPECT_EQ(p.presented, 0) << "a frame right after the last";
    p.clock->advance(kInterval - kInterval / 5 - 0.01);
    EXPECT_EQ(p.presented, 1) << "the change missed a frame";
}

TEST(FramePacer, WithoutALinkEveryChangeShowsAtOnce) {
    int presented = 0;
    FramePacer pacer([&] { ++presented; });
    EXPECT_TRUE(pacer.changed());
    EXPECT_TRUE(pacer.changed());
    EXPECT_FALSE(pacer.isPending());
    EXPECT_EQ(presented, 0);
}

TEST(FramePacer, AStrokeIsInTheStateAtEveryStepAndOnScreenByItsFrame) {
    TestDrawingState t;
    DrawingState& s = *t.state;
    DrawingCanvasView canvas{t.state, 1};
    ManualLink* link = nullptr;
    auto owned = std::make_unique<ManualPacerClock>();
    ManualPacerClock& clock = *owned;
    canvas.setDisplayLinkFactory(manualLinks(clock, link), std::move(owned));
    canvas.resize(300, 200);
    s.currentDrawingDisplayID = 1;
    s.lineWidth = 6;
    drainEvents();
    auto step = [&](QPointF p) {
        canvas.handleDragChanged(CanvasDragValue{p, QPointF(20, 100), false});
        drainEvents();
    };
    auto painted = [&](QPoint p) { return qAlpha(canvasImage(canvas).pixel(p)) > 0; };

    step(QPointF(20, 100));
    step(QPointF(40, 100));
    EXPECT_TRUE(painted(QPoint(30, 100))) << "the start shows at once";
    link->refresh();
    step(QPointF(200, 100));
    ASSERT_TRUE(s.currentStroke.get());
    EXPECT_EQ(s.currentStroke.get()->points.back(), QPointF(200, 100)) << "every step reaches the state";
    EXPECT_TRUE(canvas.framePacer().isPending());
    EXPECT_FALSE(painted(QPoint(150, 100))) << "drawn by its frame, not at once";
    clock.advance(kInterval);
    EXPECT_FALSE(canvas.framePacer().isPending());
    drainEvents();
    EXPECT_TRUE(painted(QPoint(150, 100)));

    // The release shows the placed stroke at once, and no live one.
    canvas.handleDragEnded(CanvasDragValue{QPointF(200, 100), QPointF(20, 100), false});
    drainEvents();
    EXPECT_FALSE(canvas.isShowingLiveStroke());
    EXPECT_TRUE(painted(QPoint(150, 100)));
}

TEST(FramePacer, AStrokeReleasedBeforeItsFrameIsPlacedAtOnceAndThatFrameDrawsNothingLive) {
    TestDrawingState t;
    DrawingState& s = *t.state;
    DrawingCanvasView canvas{t.state, 1};
    ManualLink* link = nullptr;
    auto owned = std::make_unique<ManualPacerClock>();
    ManualPacerClock& clock = *owned;
    canvas.setDisplayLinkFactory(manualLinks(clock, link), std::move(owned));
    canvas.resize(300, 200);
    s.currentDrawingDisplayID = 1;
    s.lineWidth = 6;
    drainEvents();
    auto step = [&](QPointF p) {
        canvas.handleDragChanged(CanvasDragValue{p, QPointF(20, 100), false});
        drainEvents();
    };
    auto painted = [&](QPoint p) { return qAlpha(canvasImage(canvas).pixel(p)) > 0; };
    step(QPointF(20, 100));
    step(QPointF(40, 100));
    link->refresh();
    step(QPointF(200, 100));
    ASSERT_TRUE(canvas.framePacer().isPending());
    ASSERT_FALSE(painted(QPoint(150, 100)));

    // Released before that frame: the placed stroke shows now, whole.
    canvas.handleDragEnded(CanvasDragValue{QPointF(200, 100), QPointF(20, 100), false});
    drainEvents();
    EXPECT_FALSE(canvas.isShowingLiveStroke());
    EXPECT_TRUE(painted(QPoint(150, 100)));
    // The frame it was owed finds nothing to draw live.
    clock.advance(2 * kInterval);
    drainEvents();
    EXPECT_FALSE(canvas.framePacer().isPending());
    EXPECT_FALSE(canvas.isShowingLiveStroke());
    EXPECT_TRUE(painted(QPoint(150, 100)));
}

// The pacing of a drag's drawing: at once after a pause, then once a frame,
// late in it, with every step in the state as it comes.
#include "canvas/DrawingCanvasView.h"
#include "canvas/FramePacer.h"
#include "model/DrawingState.h"
#include "support/CanvasTestUtil.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// A link whose refreshes the test hands out.
class ManualLink : public platform::DisplayLink {
public:
    explicit ManualLink(Callback callback) : callback_(std::move(callback)) {}
    void start() override { running_ = true; }
    void stop() override { running_ = false; }
    void requestFrame() override {}
    double refreshInterval() const override { return kInterval; }
    // A refresh happening now, or reported with another time.
    void refresh() { refreshAt(platform::mediaTime()); }
    void refreshAt(double timestamp) {
        if (running_) callback_({timestamp, timestamp + kInterval, kInterval});
    }
    static constexpr double kInterval = 0.25;

private:
    Callback callback_;
};

struct Paced {
    int presented = 0;
    ManualLink* link = nullptr;
    FramePacer pacer{[this] { ++presented; }};
    Paced() {
        pacer.useDisplayLink(
            [this](platform::DisplayID, platform::DisplayLink::Callback cb) {
                auto l = std::make_unique<ManualLink>(std::move(cb));
                link = l.get();
                return l;
            },
            1);
    }
};

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
    const double refreshed = platform::mediaTime();
    p.link->refresh();
    EXPECT_EQ(p.presented, 0);
    ASSERT_TRUE(waitUntil([&] { return p.presented == 1; }));
    const double waited = platform::mediaTime() - refreshed;
    EXPECT_GE(waited, ManualLink::kInterval - FramePacer::kLateMargin - 0.002);
    EXPECT_FALSE(p.pacer.isPending());
    // More changes (the first may count as after a pause on a slow
    // machine): one frame for the rest.
    p.pacer.changed();
    EXPECT_FALSE(p.pacer.changed());
    EXPECT_FALSE(p.pacer.changed());
    ASSERT_TRUE(waitUntil([&] { return p.presented == 2; }));
    drainEvents();
    EXPECT_EQ(p.presented, 2);

    // Refreshes with nothing to show stop the link.
    p.link->refresh();
    p.link->refresh();
    EXPECT_FALSE(p.pacer.isLinkRunning());
}

TEST(FramePacer, NoChangeWaitsMoreThanARefreshAfterTheLastFrame) {
    Paced p;
    // A change after a pause shows at once, a little before a late moment
    // (the refreshes' phase is known from an earlier drag).
    EXPECT_TRUE(p.pacer.changed());
    const double shown = platform::mediaTime();
    p.link->refreshAt(shown - ManualLink::kInterval + FramePacer::kLateMargin + ManualLink::kInterval / 5);
    // The next change may not show at that late moment, so soon after the
    // last frame, but it must not wait for the one after it either.
    EXPECT_FALSE(p.pacer.changed());
    ASSERT_TRUE(waitUntil([&] { return p.presented == 1; }));
    EXPECT_LE(platform::mediaTime() - shown, ManualLink::kInterval + 0.02) << "the change missed a frame";
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
    canvas.setDisplayLinkFactory([&](platform::DisplayID, platform::DisplayLink::Callback cb) {
        auto l = std::make_unique<ManualLink>(std::move(cb));
        link = l.get();
        return l;
    });
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
    ASSERT_TRUE(waitUntil([&] { return !canvas.framePacer().isPending(); }));
    EXPECT_TRUE(painted(QPoint(150, 100)));

    // The release shows the placed stroke at once, and no live one.
    canvas.handleDragEnded(CanvasDragValue{QPointF(200, 100), QPointF(20, 100), false});
    drainEvents();
    EXPECT_FALSE(canvas.isShowingLiveStroke());
    EXPECT_TRUE(painted(QPoint(150, 100)));
}

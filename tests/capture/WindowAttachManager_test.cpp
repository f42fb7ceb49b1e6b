// Following a pinned window: tracking steps, picking and the toolbar's
// geometry beside the window.
#include "capture/WindowAttachManager.h"
#include "support/FakePlatform.h"
#include "support/FakeWindowList.h"

#include <gtest/gtest.h>

#include <cmath>

using platform::Point;
using platform::Rect;
using platform::Size;
using testing_support::FakeDisplayLinks;
using testing_support::FakeScreenProvider;
using testing_support::FakeWindowList;

namespace {

constexpr double kFrame = 1.0 / 60;

struct Tracking {
    explicit Tracking(
        std::vector<platform::Screen> screenList = {FakeScreenProvider::makeScreen(1, Rect(0, 0, 1920, 1080)),
                                                    FakeScreenProvider::makeScreen(2, Rect(1920, 0, 1280, 1024))})
        : screens(std::make_shared<FakeScreenProvider>(std::move(screenList))),
          manager(WindowAttachServices{windows, screens, links.factory(), [this] { return now; }}) {}

    // A tick one refresh later, its frame shown one refresh after that.
    void tick(double seconds = kFrame) {
        now += seconds;
        links.tick(now + kFrame);
    }
    void pin(std::uint32_t id, Rect listBounds) {
        windows->list.insert(windows->list.begin(), FakeWindowList::window(id, listBounds));
        manager.attach(id, AttachEdge::top, manager.flipToScreen(listBounds),
                       [this](const Rect& r) { reports.push_back(r); });
    }

    double now = 100;
    std::shared_ptr<FakeWindowList> windows = std::make_shared<FakeWindowList>();
    std::shared_ptr<FakeScreenProvider> screens;
    FakeDisplayLinks links;
    WindowAttachManager manager;
    std::vector<Rect> reports;
};

} // namespace

TEST(WindowAttachGeometry, ToolbarOriginBesideEachEdge) {
    const Rect w(100, 100, 400, 300);
    const Size toolbar(200, 40);
    EXPECT_EQ(WindowAttachManager::toolbarOrigin(w, AttachEdge::top, toolbar), Point(200, 404));
    EXPECT_EQ(WindowAttachManager::toolbarOrigin(w, AttachEdge::bottom, toolbar), Point(200, 56));
    EXPECT_EQ(WindowAttachManager::toolbarOrigin(w, AttachEdge::left, toolbar), Point(-104, 230));
    EXPECT_EQ(WindowAttachManager::toolbarOrigin(w, AttachEdge::right, toolbar), Point(504, 230));
}

TEST(WindowAttachGeometry, ChooseEdgeTriesTopBottomRightLeft) {
    const Rect visible(0, 0, 1440, 875);
    const Size toolbar(600, 50);
    EXPECT_EQ(WindowAttachManager::chooseEdge(Rect(200, 200, 800, 400), visible, toolbar), AttachEdge::top);
    // The window's top at the top of the visible frame, room below.
    EXPECT_EQ(WindowAttachManager::chooseEdge(Rect(200, 300, 800, 575), visible, toolbar), AttachEdge::bottom);
    // Neither above nor below, but to the right (a narrow vertical toolbar).
    EXPECT_EQ(WindowAttachManager::chooseEdge(Rect(100, 20, 600, 840), visible, Size(50, 600)), AttachEdge::right);
    // Only the left has room.
    EXPECT_EQ(WindowAttachManager::chooseEdge(Rect(700, 20, 730, 840), visible, Size(50, 600)), AttachEdge::left);
    // No edge has room: top.
    EXPECT_EQ(WindowAttachManager::chooseEdge(Rect(0, 0, 1440, 875), visible, toolbar), AttachEdge::top);
    // Touching the visible frame's edge counts as inside: 821 + 4 + 50 = 875.
    EXPECT_EQ(WindowAttachManager::chooseEdge(Rect(200, 421, 800, 400), visible, toolbar), AttachEdge::top);
    EXPECT_EQ(WindowAttachManager::chooseEdge(Rect(200, 422, 800, 400), visible, toolbar), AttachEdge::bottom);
}

TEST(WindowAttachGeometry, FlipFromTheWindowListUsesThePrimaryHeight) {
    Tracking t({FakeScreenProvider::makeScreen(1, Rect(0, 0, 1920, 1080)),
                FakeScreenProvider::makeScreen(2, Rect(1920, 0, 1280, 1400))});
    EXPECT_EQ(t.manager.flipToScreen(Rect(10, 20, 300, 200)), Rect(10, 860, 300, 200));
    Tracking none(std::vector<platform::Screen>{});
    EXPECT_EQ(none.manager.flipToScreen(Rect(10, 20, 300, 200)), Rect(10, -220, 300, 200));
}

TEST(WindowAttachGeometry, OnlyLargeOrdinaryWindowsOfOtherProgramsArePicked) {
    Tracking t;
    auto& list = t.windows->list;
    list = {FakeWindowList::window(1, Rect(0, 0, 50, 50)), FakeWindowList::window(2, Rect(0, 0, 200, 50)),
            FakeWindowList::window(3, Rect(0, 0, 50, 200)), FakeWindowList::window(4, Rect(0, 0, 51, 51))};
    auto picked = t.manager.windowUnderPoint(Point(10, 10), 1000);
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->windowID, 4u);
    EXPECT_EQ(picked->frame, Rect(0, 1029, 51, 51));

    // In front of a suitable window: ours, another layer, hidden, desktop,
    // ownerless, and one that does not contain the point.
    const Rect big(0, 0, 500, 500);
    list = {FakeWindowList::window(10, big, 1000), FakeWindowList::window(11, big),
            FakeWindowList::window(12, big),       FakeWindowList::window(13, big),
            FakeWindowList::window(14, big),       FakeWindowList::window(15, Rect(200, 200, 100, 100)),
            FakeWindowList::window(16, big),       FakeWindowList::window(17, big)};
    list[1].layer = platform::WindowListLayer::floating;
    list[2].isOnScreen = false;
    list[3].isDesktopElement = true;
    list[4].ownerPID.reset();
    picked = t.manager.windowUnderPoint(Point(10, 10), 1000);
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->windowID, 16u);
    // The front-most of two overlapping ones at a point both contain.
    picked = t.manager.windowUnderPoint(Point(250, 250), 1000);
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->windowID, 15u);
    // Half-open bounds, like the point test everywhere else.
    EXPECT_FALSE(t.manager.windowUnderPoint(Point(500, 10), 1000));
    EXPECT_FALSE(WindowAttachManager().windowUnderPoint(Point(10, 10), 1000));
}

TEST(WindowAttachTracking, LookAheadAndSmoothingNumbers) {
    EXPECT_DOUBLE_EQ(WindowAttachManager::lookAhead(-0.01), 0.03);
    EXPECT_DOUBLE_EQ(WindowAttachManager::lookAhead(0), 0.03);
    EXPECT_DOUBLE_EQ(WindowAttachManager::lookAhead(0.016), 0.046);
    EXPECT_DOUBLE_EQ(WindowAttachManager::lookAhead(0.05), 0.055);
    EXPECT_NEAR(WindowAttachManager::smoothingFactor(1.0 / 60), 0.4262, 5e-5);
    EXPECT_NEAR(WindowAttachManager::smoothingFactor(1.0 / 120), 0.2425, 5e-5);
}

TEST(WindowAttachTracking, AttachWatchesTheWindowsDisplayAndReportsOnlyChanges) {
    Tracking t;
    // On the second display (list y-down: 100 from the primary's top).
    t.pin(7, Rect(2000, 100, 400, 300));
    EXPECT_TRUE(t.reports.empty());
    ASSERT_EQ(t.links.records.size(), 1u);
    EXPECT_EQ(t.links.records[0]->display, 2u);
    EXPECT_TRUE(t.links.records[0]->running);
    EXPECT_EQ(t.manager.targetWindowID(), 7u);

    // The same frame: nothing to say, tick after tick; one query each.
    for (int i = 0; i < 5; ++i) t.tick();
    EXPECT_TRUE(t.reports.empty());
    EXPECT_EQ(t.windows->boundsQueries, 5);

    // A size change alone is reported at once.
    t.windows->find(7)->bounds = Rect(2000, 100, 500, 300);
    t.tick();
    ASSERT_EQ(t.reports.size(), 1u);
    EXPECT_EQ(t.reports.back().size, Size(500, 300));
    EXPECT_NEAR(t.reports.back().origin.x, 2000, 1e-6);
    EXPECT_NEAR(t.reports.back().origin.y, 680, 1e-6);
}

TEST(WindowAttachTracking, AMoveIsSmoothedTowardsThePredictionThenSettles) {
    Tracking t;
    t.pin(7, Rect(100, 100, 400, 300));
    const Point start(100, 680);
    t.windows->find(7)->bounds = Rect(160, 100, 400, 300);
    // Less than a millisecond after attaching: dt counts as 1 ms.
    t.tick(0.0004);
    ASSERT_EQ(t.reports.size(), 1u);
    UKFPredictor expected;
    expected.reset(start.x, start.y);
    expected.update(160, 680, 0.001);
    const Mat p = UKFPredictor::transition(WindowAttachManager::lookAhead(kFrame)).multiplied(expected.x);
    const double a = WindowAttachManager::smoothingFactor(0.001);
    EXPECT_NEAR(t.reports[0].origin.x, start.x + a * (p(0, 0) - start.x), 1e-9);
    EXPECT_NEAR(t.reports[0].origin.y, 680, 1e-9);
    EXPECT_EQ(t.reports[0].size, Size(400, 300));

    // Left there, the reports reach the window and stop.
    for (int i = 0; i < 120; ++i) t.tick();
    ASSERT_FALSE(t.reports.empty());
    EXPECT_NEAR(t.reports.back().origin.x, 160, 0.1);
    const auto count = t.reports.size();
    for (int i = 0; i < 10; ++i) t.tick();
    EXPECT_EQ(t.reports.size(), count);
}

TEST(WindowAttachTracking, AWindowThatGoesEndsTrackingOnceBeforeSayingSo) {
    Tracking t;
    t.pin(7, Rect(100, 100, 400, 300));
    int gone = 0;
    std::uint32_t targetWhenCalled = 99;
    t.manager.onWindowGone = [&] {
        ++gone;
        targetWhenCalled = t.manager.targetWindowID();
    };
    t.tick();
    t.windows->remove(7);
    t.tick();
    EXPECT_EQ(gone, 1);
    EXPECT_EQ(targetWhenCalled, 0u);
    EXPECT_EQ(t.manager.targetWindowID(), 0u);
    EXPECT_FALSE(t.manager.onWindowGone);
    EXPECT_FALSE(t.manager.predictor().isInitialized);
    EXPECT_EQ(t.links.liveCount(), 0);
    EXPECT_EQ(t.links.tick(t.now + 1), 0);
    EXPECT_EQ(gone, 1);
}

TEST(WindowAttachTracking, AttachReplacesAndDetachStopsQuietly) {
    Tracking t;
    t.pin(7, Rect(100, 100, 400, 300));
    int gone = 0;
    t.manager.onWindowGone = [&] { ++gone; };
    t.pin(8, Rect(300, 300, 400, 300));
    // The old link is gone, the handler of window-gone stays.
    EXPECT_EQ(t.links.liveCount(), 1);
    EXPECT_EQ(t.manager.targetWindowID(), 8u);
    EXPECT_TRUE(t.manager.onWindowGone);
    EXPECT_EQ(t.manager.predictor().x(0, 0), 300);

    t.manager.setAttachEdge(AttachEdge::left);
    t.manager.detach();
    EXPECT_EQ(t.links.liveCount(), 0);
    EXPECT_EQ(t.manager.targetWindowID(), 0u);
    EXPECT_FALSE(t.manager.reportsFrames());
    EXPECT_FALSE(t.manager.onWindowGone);
    EXPECT_EQ(t.manager.attachEdge(), AttachEdge::left);
    EXPECT_EQ(gone, 0);
    t.manager.detach();
    EXPECT_FALSE(t.manager.windowFrame(0));
}

// Minimising a pinned window: the window manager marks it minimised, then
// animates its frame away (and back when it is restored). The toolbar and
// the drawing stay where they were meanwhile; following resumes once the
// window is back where it was, or stands still where it was put.
TEST(WindowAttachTracking, AMinimisedWindowIsNotFollowedUntilItIsBack) {
    Tracking t;
    t.pin(7, Rect(600, 400, 600, 400));
    for (int i = 0; i < 3; ++i) t.tick();
    ASSERT_TRUE(t.reports.empty());

    auto* w = t.windows->find(7);
    w->isOnScreen = false;
    for (Rect step : {Rect(650, 600, 600, 400), Rect(800, 1100, 600, 400), Rect(820, 1436, 600, 400)}) {
        w->bounds = step;
        t.tick();
    }
    EXPECT_TRUE(t.reports.empty()) << "the minimising animation is not followed";

    // Restored: shown again, animated back from where it went.
    w->isOnScreen = true;
    for (Rect step :
         {Rect(820, 1436, 600, 400), Rect(800, 1100, 600, 400), Rect(650, 600, 600, 400), Rect(600, 400, 600, 400)}) {
        w->bounds = step;
        t.tick();
    }
    EXPECT_TRUE(t.reports.empty()) << "nor the restoring one";
    EXPECT_EQ(t.manager.attachEdge(), AttachEdge::top);

    // Back in place, it is followed again at once.
    w->bounds = Rect(660, 400, 600, 400);
    t.tick();
    ASSERT_FALSE(t.reports.empty());
    for (int i = 0; i < 120; ++i) t.tick();
    EXPECT_NEAR(t.reports.back().origin.x, 660, 0.1);
}

TEST(WindowAttachTracking, AWindowRestoredElsewhereIsFollowedOnceItStandsStill) {
    Tracking t;
    t.pin(7, Rect(600, 400, 600, 400));
    auto* w = t.windows->find(7);
    w->isOnScreen = false;
    t.tick();
    // Moved while minimised, then shown there.
    w->isOnScreen = true;
    w->bounds = Rect(100, 300, 600, 400);
    for (int i = 0; i < WindowAttachManager::kStillRefreshes; ++i) t.tick();
    EXPECT_TRUE(t.reports.empty());
    for (int i = 0; i < 120; ++i) t.tick();
    ASSERT_FALSE(t.reports.empty());
    EXPECT_NEAR(t.reports.back().origin.x, 100, 0.1);
    EXPECT_NEAR(t.reports.back().origin.y, 380, 0.1);
    // A window that closes while minimised still ends the pin.
    int gone = 0;
    t.manager.onWindowGone = [&] { ++gone; };
    w->isOnScreen = false;
    t.tick();
    t.windows->remove(7);
    t.tick();
    EXPECT_EQ(gone, 1);
}

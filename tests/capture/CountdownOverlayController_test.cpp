// The countdown: its panel, its ticks, Esc and outside clicks, and the rule
// that exactly one ending happens, once.
#include "capture/CountdownOverlayController.h"

#include "capture/CountdownView.h"
#include "platform/EventMonitor.h"
#include "support/FakeEventMonitor.h"
#include "support/FakePlatform.h"
#include "support/TestUtil.h"
#include "ui/OpenPanelRegistry.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Point;
using platform::Rect;
namespace Key = platform::KeyCode;

namespace {

const platform::Screen kPrimary = FakeScreenProvider::makeScreen(1, Rect(0, 0, 1440, 900));
const platform::Screen kSecond = FakeScreenProvider::makeScreen(2, Rect(1440, -200, 1920, 1200));

struct Countdown {
    // An hour per tick: the tests tick by hand unless they say otherwise.
    explicit Countdown(const platform::Screen& screen = kPrimary, double tickSeconds = 3600) {
        controller = std::make_unique<CountdownOverlayController>(
            screen, [this] { ++completed; }, [this] { ++cancelled; }, tickSeconds);
    }
    ~Countdown() {
        controller.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool listed() const {
        const auto& open = OpenPanelRegistry::shared().openPanels();
        return std::find(open.begin(), open.end(), controller.get()) != open.end();
    }
    // Whether the key went on to a window.
    bool key(std::uint16_t code) { return injectLocal(keyEvent(code)).has_value(); }
    void expectEnded() const {
        EXPECT_FALSE(controller->window()->isVisible());
        EXPECT_FALSE(listed());
        EXPECT_EQ(controller->monitorCount(), 0u);
        EXPECT_FALSE(controller->isTimerRunning());
        EXPECT_TRUE(controller->didFire());
    }

    std::size_t localBefore = platform::EventMonitor::shared().localMonitorCount();
    std::size_t globalBefore = platform::EventMonitor::shared().globalMonitorCount();
    int completed = 0;
    int cancelled = 0;
    std::unique_ptr<CountdownOverlayController> controller;
};

} // namespace

TEST(CountdownPanel, IsCentredOnTheWholeFrameOfItsScreenAboveEverythingAndIgnoresThePointer) {
    Countdown primary;
    auto* w = primary.controller->window();
    EXPECT_EQ(w->frame(), Rect(590, 320, 260, 260));
    EXPECT_EQ(w->stacking().level(), platform::WindowLevel::popUp);
    EXPECT_TRUE(w->shape().ignoresMouseEvents());
    // It holds the keyboard while it counts, so that Esc reaches it; no click
    // gives it the keyboard.
    EXPECT_TRUE(w->keyboard().canBecomeKey());
    EXPECT_TRUE(w->keyboard().isNonActivatingPanel());
    EXPECT_FALSE(w->hasShadow());
    EXPECT_FALSE(w->isVisible()) << "nothing shows before showWindow()";
    EXPECT_EQ(primary.controller->view()->count(), 3);

    // Not the main screen, and partly below the primary.
    Countdown second(kSecond);
    EXPECT_EQ(second.controller->window()->frame(), Rect(2270, 270, 260, 260));
}

TEST(CountdownPanel, ShowingListsItInstallsItsMonitorsAndStartsTheTimer) {
    Countdown c;
    c.controller->showWindow();
    EXPECT_TRUE(c.controller->window()->isVisible());
    EXPECT_TRUE(c.listed());
    EXPECT_EQ(platform::EventMonitor::shared().localMonitorCount(), c.localBefore + 1);
    EXPECT_EQ(platform::EventMonitor::shared().globalMonitorCount(), c.globalBefore + 1);
    EXPECT_TRUE(c.controller->isTimerRunning());
    EXPECT_EQ(c.controller->ticks(), 0);
}

TEST(CountdownPanel, CompletesOnTheThirdTickOnce) {
    Countdown c;
    // Told while the panel still shows, before the completion.
    std::vector<std::pair<bool, int>> completing;
    const auto told = c.controller->completing.connect(
        [&] { completing.emplace_back(c.controller->window()->isVisible(), c.completed); });
    c.controller->showWindow();
    EXPECT_FALSE(c.controller->tick());
    EXPECT_FALSE(c.controller->tick());
    EXPECT_EQ(c.completed, 0);
    EXPECT_TRUE(completing.empty());
    EXPECT_TRUE(c.controller->window()->isVisible());
    EXPECT_TRUE(c.controller->tick());
    EXPECT_EQ(c.completed, 1);
    EXPECT_EQ(completing, (std::vector<std::pair<bool, int>>{{true, 0}}));
    c.expectEnded();
    EXPECT_EQ(platform::EventMonitor::shared().localMonitorCount(), c.localBefore);
    EXPECT_EQ(platform::EventMonitor::shared().globalMonitorCount(), c.globalBefore);

    // Late ticks and a late cancel change nothing.
    EXPECT_TRUE(c.controller->tick());
    c.controller->cancel();
    EXPECT_EQ(c.completed, 1);
    EXPECT_EQ(c.cancelled, 0);
    EXPECT_EQ(completing.size(), 1u);
}

TEST(CountdownPanel, TheTimerCompletesItAfterThreeTicks) {
    Countdown c(kPrimary, 0.02);
    c.controller->showWindow();
    EXPECT_TRUE(waitUntil([&] { return c.completed == 1; }, 2000));
    EXPECT_EQ(c.controller->ticks(), 3);
    c.expectEnded();
    drainEvents();
    EXPECT_EQ(c.completed, 1);
}

TEST(CountdownPanel, EscCancelsAndGoesNoFurtherOtherKeysPass) {
    Countdown c;
    int completing = 0;
    const auto told = c.controller->completing.connect([&] { ++completing; });
    c.controller->showWindow();
    EXPECT_TRUE(c.key(Key::q));
    EXPECT_FALSE(c.key(Key::escape));
    // The cancel runs on a later turn, after the key event.
    EXPECT_EQ(c.cancelled, 0);
    drainEvents();
    EXPECT_EQ(c.cancelled, 1);
    c.expectEnded();
    // Its monitors are gone: Esc now reaches the windows.
    EXPECT_TRUE(c.key(Key::escape));
    drainEvents();
    EXPECT_EQ(c.cancelled, 1);
    EXPECT_EQ(c.completed, 0);
    c.controller->tick();
    c.controller->tick();
    c.controller->tick();
    EXPECT_EQ(c.completed, 0) << "no completion after a cancellation";
    EXPECT_EQ(completing, 0);
}

TEST(CountdownPanel, OnlyClicksInOtherProgramsCancel) {
    Countdown c;
    c.controller->showWindow();
    // A click on one of our own windows reaches only the local monitors.
    EXPECT_TRUE(injectLocal(mouseEvent(platform::EventType::leftMouseDown, Point(700, 450))).has_value());
    drainEvents();
    EXPECT_EQ(c.cancelled, 0);
    injectGlobal(mouseEvent(platform::EventType::rightMouseDown, Point(10, 10)));
    drainEvents();
    EXPECT_EQ(c.cancelled, 1);
    c.expectEnded();

    Countdown left;
    left.controller->showWindow();
    injectGlobal(mouseEvent(platform::EventType::leftMouseDown, Point(10, 10)));
    drainEvents();
    EXPECT_EQ(left.cancelled, 1);
}

TEST(CountdownPanel, AnEscWhoseCancelRunsAfterTheThirdTickLetsTheCaptureGoAhead) {
    Countdown c;
    c.controller->showWindow();
    c.controller->tick();
    c.controller->tick();
    EXPECT_FALSE(c.key(Key::escape));
    c.controller->tick();
    drainEvents();
    EXPECT_EQ(c.completed, 1);
    EXPECT_EQ(c.cancelled, 0);
}

TEST(CountdownPanel, ClosingStopsItWithoutEitherEnding) {
    Countdown c;
    c.controller->showWindow();
    c.controller->close();
    c.controller->close();
    EXPECT_FALSE(c.controller->window()->isVisible());
    EXPECT_FALSE(c.listed());
    EXPECT_EQ(c.controller->monitorCount(), 0u);
    EXPECT_FALSE(c.controller->isTimerRunning());
    EXPECT_EQ(c.completed + c.cancelled, 0);
}

TEST(CountdownPanel, ReleasedWhileRunningLeavesNoMonitorOrListing) {
    Countdown c;
    c.controller->showWindow();
    const void* identity = c.controller.get();
    c.controller.reset();
    const auto& open = OpenPanelRegistry::shared().openPanels();
    EXPECT_EQ(std::find(open.begin(), open.end(), identity), open.end());
    EXPECT_EQ(platform::EventMonitor::shared().localMonitorCount(), c.localBefore);
    EXPECT_EQ(platform::EventMonitor::shared().globalMonitorCount(), c.globalBefore);
    injectGlobal(mouseEvent(platform::EventType::leftMouseDown, Point(10, 10)));
    drainEvents();
    EXPECT_EQ(c.cancelled, 0);
}

TEST(CountdownView, CountsThreeTwoOneAndStops) {
    CountdownView view;
    EXPECT_EQ(view.count(), 3);
    EXPECT_FALSE(view.advance());
    EXPECT_EQ(view.count(), 2);
    EXPECT_FALSE(view.advance());
    EXPECT_EQ(view.count(), 1);
    EXPECT_TRUE(view.advance());
    EXPECT_EQ(view.count(), 1);
}

TEST(CountdownView, DrawsAWhiteDigitOnADarkDiscAndNothingOutsideIt) {
    CountdownView view;
    QImage image(CountdownView::kSide, CountdownView::kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image);
    // Outside the disc (radius 85) the panel is clear.
    EXPECT_EQ(qAlpha(image.pixel(130, 30)), 0);
    EXPECT_EQ(qAlpha(image.pixel(10, 10)), 0);
    // The disc: black at about 0.35, beside the digit.
    const QRgb disc = image.pixel(70, 130);
    EXPECT_NEAR(qAlpha(disc), 89, 8);
    EXPECT_LT(qRed(disc), 10);
    // The digit: white pixels within the disc.
    int white = 0;
    for (int y = 70; y < 190; ++y)
        for (int x = 90; x < 170; ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) == 255 && qRed(p) > 240 && qGreen(p) > 240) ++white;
        }
    EXPECT_GT(white, 500);
}

// The tooltip manager: the chip's delay, hold, fades and placement, the
// hand-over between controls, the move tolerance, the setting, anchors that
// go away, and that nothing runs while no chip is about.
#include "support/FakePlatform.h"
#include "support/ManualTooltipClock.h"
#include "support/TestUtil.h"
#include "ui/TooltipChip.h"
#include "ui/TooltipManager.h"
#include "ui/TooltipPanel.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Point;
using platform::Rect;
using platform::Size;
using Phase = TooltipManager::Phase;

namespace {

const auto kBelow = TooltipPlacement::toolbar(PanelOpenDirection::below);

// A toolbar-like window of 300 by 40 with two 24-point controls, on one
// screen as large as Qt's own, under a manager whose clock stands still.
struct Harness {
    Harness() {
        const QRect qt = QGuiApplication::primaryScreen()->geometry();
        screens = std::make_shared<FakeScreenProvider>(
            std::vector{FakeScreenProvider::makeScreen(1, Rect(0, 0, qt.width(), qt.height()))});
        manager = std::make_unique<TooltipManager>(screens, clock);
        window->setFrame(Rect(100, 300, 300, 40));
        auto* content = new QWidget;
        window->setContentView(content);
        undoView = new QWidget(content);
        undoView->setGeometry(20, 8, 24, 24);
        redoView = new QWidget(content);
        redoView->setGeometry(60, 8, 24, 24);
        undo->nsView = undoView;
        redo->nsView = redoView;
        window->orderFront();
        drainEvents();
    }
    ~Harness() {
        manager.reset();
        window.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool shown() const { return manager->panel() && manager->panel()->isVisible(); }
    double alpha() const { return manager->panel() ? manager->panel()->alphaValue() : 0; }
    QString chipText() const { return manager->panel() ? manager->panel()->chip()->text() : QString(); }
    // Nothing scheduled, shown or fading: no timer of the manager runs.
    bool quiet() const { return clock->runningTimers() == 0; }

    std::shared_ptr<FakeScreenProvider> screens;
    std::shared_ptr<ManualTooltipClock> clock = std::make_shared<ManualTooltipClock>();
    std::unique_ptr<TooltipManager> manager;
    platform::WindowPtr<> window = platform::makeWindow(Rect(0, 0, 300, 40));
    QWidget* undoView;
    QWidget* redoView;
    std::shared_ptr<AnchorRef> undo = std::make_shared<AnchorRef>();
    std::shared_ptr<AnchorRef> redo = std::make_shared<AnchorRef>();
};

} // namespace

TEST(TooltipPlacementRules, EachPlacementPutsTheChipBesideTheWindowCentredOnTheControl) {
    const Rect screen(0, 0, 1920, 1080);
    const Rect anchor(100, 700, 30, 30), window(50, 690, 600, 50);
    const Size chip(80, 22);
    EXPECT_EQ(TooltipManager::chipOrigin(kBelow, anchor, window, chip, screen), Point(75, 664));
    EXPECT_EQ(
        TooltipManager::chipOrigin(TooltipPlacement::toolbar(PanelOpenDirection::above), anchor, window, chip, screen),
        Point(75, 744));
    EXPECT_EQ(TooltipManager::chipOrigin(TooltipPlacement::toolbar(PanelOpenDirection::toRight), anchor, window, chip,
                                         screen),
              Point(654, 704));
    EXPECT_EQ(
        TooltipManager::chipOrigin(TooltipPlacement::toolbar(PanelOpenDirection::toLeft), anchor, window, chip, screen),
        Point(-34, 704));

    // Beside the window: to the right while the chip fits there, else left.
    const Rect panel(1700, 500, 200, 50), control(1750, 510, 24, 24);
    EXPECT_EQ(TooltipManager::chipOrigin(TooltipPlacement::side(), control, panel, Size(100, 22), screen),
              Point(1596, 511));
    EXPECT_EQ(TooltipManager::chipOrigin(TooltipPlacement::side(), control, panel, Size(16, 22), screen).x, 1904);
    EXPECT_EQ(TooltipManager::chipOrigin(TooltipPlacement::side(), control, panel, Size(17, 22), screen).x, 1679);
}

TEST(TooltipPlacementRules, TheChipIsKeptWithinTheVisibleFrameAtEveryEdge) {
    const Rect visible(0, 40, 1920, 1016);
    const Size chip(80, 22);
    EXPECT_EQ(TooltipManager::clampedOrigin(Point(-34, 500), chip, visible), Point(0, 500));
    EXPECT_EQ(TooltipManager::clampedOrigin(Point(1900, 500), chip, visible), Point(1840, 500));
    EXPECT_EQ(TooltipManager::clampedOrigin(Point(500, 20), chip, visible), Point(500, 40));
    EXPECT_EQ(TooltipManager::clampedOrigin(Point(500, 1050), chip, visible), Point(500, 1034));
    EXPECT_EQ(TooltipManager::clampedOrigin(Point(1900, 1050), chip, visible), Point(1840, 1034));
    EXPECT_EQ(TooltipManager::clampedOrigin(Point(500, 500), chip, visible), Point(500, 500));
    // Larger than the frame: its left and bottom edges win.
    EXPECT_EQ(TooltipManager::clampedOrigin(Point(300, 500), Size(2000, 22), visible), Point(0, 500));
    EXPECT_EQ(TooltipManager::clampedOrigin(Point(300, 500), Size(80, 1100), visible), Point(300, 40));
}

TEST(TooltipPlacementRules, TheVisibleFrameIsTheScreenHoldingTheControl) {
    auto left = FakeScreenProvider::makeScreen(1, Rect(0, 0, 1920, 1080));
    left.visibleFrame = Rect(0, 0, 1920, 1050);
    auto right = FakeScreenProvider::makeScreen(2, Rect(1920, 0, 1280, 1024));
    right.visibleFrame = Rect(1920, 30, 1280, 994);
    FakeScreenProvider screens({left, right});
    // The centre decides, even when most of the control lies elsewhere.
    EXPECT_EQ(TooltipManager::visibleFrame(screens, Rect(1900, 500, 60, 20)), right.visibleFrame);
    EXPECT_EQ(TooltipManager::visibleFrame(screens, Rect(1880, 500, 30, 20)), left.visibleFrame);
    // Centre off every screen: the first one it overlaps.
    EXPECT_EQ(TooltipManager::visibleFrame(screens, Rect(3100, 1000, 200, 100)), right.visibleFrame);
    // Off every screen: the main one.
    screens.setMainDisplay(2);
    EXPECT_EQ(TooltipManager::visibleFrame(screens, Rect(-500, -500, 10, 10)), right.visibleFrame);
    FakeScreenProvider none;
    EXPECT_EQ(TooltipManager::visibleFrame(none, Rect(10, 10, 10, 10)), Rect(0, 0, 10000, 10000));
}

TEST(TooltipManager, TheChipComesAfterTheDelayBesideTheWindowAndFadesIn) {
    Harness h;
    h.manager->request("Undo", h.undo, kBelow);
    EXPECT_EQ(h.manager->currentID(), h.undo.get());
    h.clock->advance(0.39);
    EXPECT_FALSE(h.shown());
    // Asked again while scheduled: the delay does not start again.
    h.manager->request("Undo", h.undo, kBelow);
    h.clock->advance(0.01);
    ASSERT_TRUE(h.shown());
    EXPECT_EQ(h.manager->phase(), Phase::visible);
    EXPECT_EQ(h.chipText(), "Undo");
    EXPECT_EQ(h.manager->panel()->stacking().level(), platform::WindowLevel::popUp);
    EXPECT_TRUE(h.manager->panel()->shape().ignoresMouseEvents());
    EXPECT_FALSE(h.manager->panel()->keyboard().canBecomeKey());

    // Below the window, centred on the control, at the chip's own size.
    const Rect anchor = *h.undo->frameOnScreen();
    const Rect window = h.window->frame();
    const Rect chip = h.manager->panel()->frame();
    const QSize ideal = h.manager->panel()->chip()->sizeHint();
    EXPECT_EQ(chip.size, Size(ideal.width(), ideal.height()));
    EXPECT_NEAR(chip.midX(), anchor.midX(), 0.5);
    EXPECT_DOUBLE_EQ(chip.maxY(), window.minY() - 4);
    EXPECT_EQ(h.manager->anchoredAt(), anchor.origin);

    EXPECT_LT(h.alpha(), 0.1);
    h.clock->advance(0.075);
    EXPECT_NEAR(h.alpha(), 0.5, 0.12);
    h.clock->advance(0.1);
    EXPECT_DOUBLE_EQ(h.alpha(), 1);
    EXPECT_FALSE(h.manager->isFading());
}

TEST(TooltipManager, AShownChipGoesAfterThreeSecondsAndComesBackOnlyWhenAskedAgain) {
    Harness h;
    h.manager->request("Undo", h.undo, kBelow);
    h.clock->advance(0.4 + 3.0 - 0.01);
    EXPECT_EQ(h.manager->phase(), Phase::visible);
    h.clock->advance(0.01);
    EXPECT_EQ(h.manager->phase(), Phase::pending);
    EXPECT_EQ(h.manager->currentID(), nullptr);
    EXPECT_TRUE(h.shown()) << "fading out";
    h.clock->advance(0.1);
    EXPECT_NEAR(h.alpha(), 0.5, 0.12);
    h.clock->advance(0.1);
    EXPECT_FALSE(h.shown());
    EXPECT_TRUE(h.quiet());
    // The pointer's leave finds nothing to do; its next arrival asks again.
    h.manager->hide(h.undo.get());
    h.manager->request("Undo", h.undo, kBelow);
    h.clock->advance(0.4);
    EXPECT_TRUE(h.shown());
}

// A test session lengthens the chip's life alone: the delay and the fade
// keep their pace.
TEST(TooltipManager, ALongerHoldKeepsTheChipUpThatLongAndNothingElseSlows) {
    Harness h;
    h.manager->setHoldSeconds(30);
    h.manager->request("Undo", h.undo, kBelow);
    h.clock->advance(0.4);
    EXPECT_TRUE(h.shown());
    h.clock->advance(30 - 0.01);
    EXPECT_EQ(h.manager->phase(), Phase::visible);
    h.clock->advance(0.01);
    EXPECT_EQ(h.manager->phase(), Phase::pending);
    h.clock->advance(0.2);
    EXPECT_FALSE(h.shown());
}

TEST(TooltipManager, LeavingCallsOffAScheduledChipAndFadesOutAShownOne) {
    Harness h;
    h.manager->request("Undo", h.undo, kBelow);
    h.clock->advance(0.3);
    h.manager->hide(h.redo.get());
    EXPECT_EQ(h.manager->currentID(), h.undo.get()) << "another control's leave changes nothing";
    h.manager->hide(h.undo.get());
    EXPECT_EQ(h.manager->currentID(), nullptr);
    EXPECT_TRUE(h.quiet());
    h.clock->advance(1);
    EXPECT_FALSE(h.shown());

    h.manager->request("Undo", h.undo, kBelow);
    h.clock->advance(0.6);
    h.manager->hide(h.undo.get());
    EXPECT_EQ(h.manager->phase(), Phase::pending);
    h.clock->advance(0.19);
    EXPECT_TRUE(h.shown());
    h.clock->advance(0.02);
    EXPECT_FALSE(h.shown());
    EXPECT_TRUE(h.quiet());
}

TEST(TooltipManager, AnotherControlTakesOverAfterTheOldChipFadesOut) {
    Harness h;
    h.manager->request("Undo", h.undo, kBelow);
    h.clock->advance(0.6);
    h.manager->request("Redo", h.redo, kBelow);
    EXPECT_EQ(h.manager->currentID(), h.redo.get());
    EXPECT_EQ(h.manager->phase(), Phase::pending);
    h.clock->advance(0.11);
    EXPECT_TRUE(h.shown()) << "the old chip still fading";
    h.clock->advance(0.02);
    EXPECT_FALSE(h.shown());
    h.clock->advance(0.4 - 0.13 - 0.01);
    EXPECT_FALSE(h.shown());
    h.clock->advance(0.01);
    ASSERT_TRUE(h.shown());
    EXPECT_EQ(h.chipText(), "Redo");
    EXPECT_NEAR(h.manager->panel()->frame().midX(), h.redo->frameOnScreen()->midX(), 0.5);
}

TEST(TooltipManager, AFadeTakenOverByALaterOneDoesNotFinish) {
    Harness h;
    h.manager->request("Undo", h.undo, kBelow);
    h.clock->advance(0.6);
    bool finished = false;
    h.manager->fade(0, 0.2, [&] { finished = true; });
    h.clock->advance(0.1);
    const unsigned token = h.manager->token();
    h.manager->fade(1, 0.15);
    EXPECT_EQ(h.manager->token(), token + 1);
    h.clock->advance(0.5);
    EXPECT_FALSE(finished);
    EXPECT_TRUE(h.shown());
    EXPECT_DOUBLE_EQ(h.alpha(), 1);
}

TEST(TooltipManager, AControlMovedMoreThanFourPointsTakesItsChipAlong) {
    Harness h;
    h.manager->request("Undo", h.undo, kBelow);
    h.clock->advance(0.5);
    Rect frame = h.window->frame();
    h.window->setFrame(frame.offsetBy(4, -4));
    drainEvents();
    h.clock->advance(0.3);
    EXPECT_EQ(h.manager->phase(), Phase::visible) << "4 points is within the tolerance";
    h.window->setFrame(frame.offsetBy(0, 5));
    drainEvents();
    h.clock->advance(0.1);
    EXPECT_EQ(h.manager->phase(), Phase::pending);
    EXPECT_EQ(h.manager->currentID(), nullptr);
    h.clock->advance(0.14);
    EXPECT_TRUE(h.shown());
    h.clock->advance(0.02);
    EXPECT_FALSE(h.shown());
    EXPECT_TRUE(h.quiet());
}

TEST(TooltipManager, AControlThatGoesAwayTakesItsChipAlongOrNeverShowsIt) {
    Harness h;
    h.manager->request("Undo", h.undo, kBelow);
    h.clock->advance(0.5);
    delete h.undoView;
    h.clock->advance(0.1);
    EXPECT_EQ(h.manager->phase(), Phase::pending);
    h.clock->advance(0.2);
    EXPECT_FALSE(h.shown());

    // Gone before its chip was due: nothing shows, and the control stays the
    // current one until the pointer's leave or another control.
    h.manager->request("Redo", h.redo, kBelow);
    delete h.redoView;
    h.clock->advance(0.5);
    EXPECT_FALSE(h.shown());
    EXPECT_EQ(h.manager->currentID(), h.redo.get());
    EXPECT_TRUE(h.quiet());
    h.manager->hide(h.redo.get());
    EXPECT_EQ(h.manager->currentID(), nullptr);

    // A control in a window that is not shown has no chip either.
    auto clear = std::make_shared<AnchorRef>();
    clear->nsView = new QWidget(h.window->contentView());
    h.window->orderOut();
    h.manager->request("Clear all", clear, kBelow);
    h.clock->advance(0.5);
    EXPECT_FALSE(h.shown());
}

TEST(TooltipManager, TurningTooltipsOffTakesTheChipDownAtOnceAndIgnoresRequests) {
    Harness h;
    h.manager->request("Undo", h.undo, kBelow);
    h.clock->advance(0.5);
    ASSERT_TRUE(h.shown());
    h.manager->applyShowTooltips(false);
    EXPECT_FALSE(h.shown());
    EXPECT_EQ(h.alpha(), 0);
    EXPECT_EQ(h.manager->currentID(), nullptr);
    EXPECT_TRUE(h.quiet());

    h.manager->request("Redo", h.redo, kBelow);
    EXPECT_EQ(h.manager->currentID(), nullptr);
    h.clock->advance(1);
    EXPECT_FALSE(h.shown());

    h.manager->applyShowTooltips(true);
    h.manager->request("Redo", h.redo, kBelow);
    h.clock->advance(0.4);
    EXPECT_TRUE(h.shown());

    // Off while the chip fades out: the fade's end changes nothing later.
    h.manager->hide(h.redo.get());
    h.manager->applyShowTooltips(false);
    h.manager->applyShowTooltips(true);
    h.manager->request("Undo", h.undo, kBelow);
    h.clock->advance(0.4);
    EXPECT_TRUE(h.shown());
    EXPECT_EQ(h.chipText(), "Undo");
}

TEST(TooltipManager, TheChipIsKeptOnTheScreenNearItsEdges) {
    Harness h;
    const Rect qt = h.screens->screens().front().frame;
    // Docked against the bottom-left corner: "below" would leave the screen.
    h.window->setFrame(Rect(0, 0, 300, 40));
    drainEvents();
    h.manager->request("Capture screen + drawing (3s)", h.undo, kBelow);
    h.clock->advance(0.4);
    ASSERT_TRUE(h.shown());
    Rect chip = h.manager->panel()->frame();
    EXPECT_EQ(chip.minY(), 0);
    EXPECT_EQ(chip.minX(), 0) << "centred on a control 32 points from the left edge";
    h.manager->hide(h.undo.get());
    h.clock->advance(0.3);

    // Against the top-right corner, opening to the right.
    h.window->setFrame(Rect(qt.maxX() - 300, qt.maxY() - 40, 300, 40));
    drainEvents();
    h.manager->request("Redo", h.redo, TooltipPlacement::toolbar(PanelOpenDirection::toRight));
    h.clock->advance(0.4);
    ASSERT_TRUE(h.shown());
    chip = h.manager->panel()->frame();
    EXPECT_EQ(h.window->frame(), Rect(qt.maxX() - 300, qt.maxY() - 40, 300, 40));
    EXPECT_EQ(chip.maxX(), qt.maxX());
    EXPECT_LE(chip.maxY(), qt.maxY());
}

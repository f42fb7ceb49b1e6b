// The settings panel's window offscreen: its size, where it drops down under
// the tray icon, its fallback place, and what closes it.
#include "toolbar/SettingsControls.h"
#include "toolbar/SettingsPanelRoot.h"
#include "toolbar/SettingsWindowController.h"

#include "ToolbarTestSupport.h"
#include "support/FakeEventMonitor.h"
#include "ui/OpenPanelRegistry.h"

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Point;
using platform::Rect;
using platform::Screen;

namespace {

// Two side by side 1440 × 900 screens, a 24-point panel along the top of
// each and a 70-point one along the bottom of the second.
std::vector<Screen> twoScreens() {
    Screen left = FakeScreenProvider::makeScreen(1, Rect(0, 0, 1440, 900));
    left.visibleFrame = Rect(0, 0, 1440, 876);
    Screen right = FakeScreenProvider::makeScreen(2, Rect(1440, 0, 1440, 900));
    right.visibleFrame = Rect(1440, 70, 1440, 806);
    return {left, right};
}

struct SettingsWindow {
    explicit SettingsWindow(std::optional<Rect> icon, bool underStatusItem = true) : t(twoScreens()) {
        iconFrame = icon;
        controller = std::make_unique<SettingsWindowController>(
            t.state, [this](bool open) { reported.push_back(open); }, anchor, underStatusItem,
            SettingsPanelServices{[] {}, [] {}, [] {}, [] {}});
    }
    ~SettingsWindow() {
        controller.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    Rect frame() const { return controller->window()->frame(); }
    bool shown() const { return controller->window()->isVisible(); }

    TestDrawingState t;
    std::optional<Rect> iconFrame;
    std::shared_ptr<AnchorRef> anchor = std::make_shared<AnchorRef>([this] { return iconFrame; });
    std::vector<bool> reported;
    std::unique_ptr<SettingsWindowController> controller;
};

} // namespace

TEST(SettingsWindow, IsFittedToItsContentAndHangsSixPointsUnderTheIcon) {
    SettingsWindow w(Rect(700, 878, 22, 22));
    const double h = w.controller->fittedHeight();
    // The update rows' checkbox label wraps at the panel's width.
    EXPECT_EQ(h, w.controller->root()->heightForWidth(210));
    EXPECT_GT(h, 150);
    EXPECT_EQ(w.frame(), Rect(711 - 105, 878 - h - 6, 210, h));
    EXPECT_FALSE(w.shown()) << "not shown on creation";
}

TEST(SettingsWindow, StaysInsideTheVisibleFrameOfTheScreenHoldingTheIcon) {
    const double h = 300;
    const auto screens = twoScreens();
    // Near the right edge of the first screen: its right edge stops there.
    EXPECT_EQ(SettingsWindowController::originUnderStatusItem(Rect(1420, 878, 20, 22), h, screens),
              Point(1440 - 210, 878 - 300 - 6));
    // Near the left edge of the second: its left edge stops there, and the
    // icon's screen decides, not the first one.
    EXPECT_EQ(SettingsWindowController::originUnderStatusItem(Rect(1445, 878, 20, 22), h, screens), Point(1440, 572));
    // Low on the second screen: above its bottom panel.
    EXPECT_EQ(SettingsWindowController::originUnderStatusItem(Rect(2000, 80, 20, 22), h, screens), Point(1905, 70));
    // Taller than the visible frame: its bottom edge wins.
    EXPECT_EQ(SettingsWindowController::originUnderStatusItem(Rect(2000, 878, 20, 22), 1000, screens).y, 70);
    // Across two screens, or on none: where it would go, unclamped.
    EXPECT_EQ(SettingsWindowController::originUnderStatusItem(Rect(1430, 878, 20, 22), h, screens),
              Point(1440 - 105, 572));
    EXPECT_EQ(SettingsWindowController::originUnderStatusItem(Rect(3000, 878, 20, 22), h, screens),
              Point(3010 - 105, 572));
}

TEST(SettingsWindow, WithoutTheIconsFrameItOpensAtTheTopOfTheMainScreen) {
    SettingsWindow w(std::nullopt);
    const double h = w.controller->fittedHeight();
    EXPECT_EQ(w.frame(), Rect(720 - 105, 876 - h - 60, 210, h));
    SettingsWindow notUnder(Rect(700, 878, 22, 22), /*underStatusItem=*/false);
    EXPECT_EQ(notUnder.frame(), Rect(720 - 105, 876 - h - 60, 210, h));
}

TEST(SettingsWindow, GrowsDownwardsAsTheSmoothingSectionOpens) {
    SettingsWindow w(Rect(700, 878, 22, 22));
    w.controller->showWindow();
    const Rect before = w.frame();
    w.controller->root()->toggleSmoothing();
    ASSERT_TRUE(waitUntil([&] {
        return w.frame().height() >= w.controller->root()->sizeHint().height() &&
               w.controller->root()->smoothingHeader()->chevronAngle() == 90;
    }));
    drainEvents();
    EXPECT_GT(w.frame().height(), before.height() + 80);
    EXPECT_EQ(w.frame().maxY(), before.maxY()) << "hanging from the icon";
}

TEST(SettingsWindow, ClicksInOtherProgramsAndEscCloseItWithoutAnyMonitorLeft) {
    const std::size_t local = platform::EventMonitor::shared().localMonitorCount();
    const std::size_t global = platform::EventMonitor::shared().globalMonitorCount();
    {
        SettingsWindow w(Rect(700, 878, 22, 22));
        w.controller->showWindow();
        EXPECT_EQ(OpenPanelRegistry::shared().openPanels().size(), 1u);
        // On the icon (the tray host's) the click is left to the icon.
        w.t.mouse->setLocation(Point(712, 889));
        injectGlobal(mouseEvent(platform::EventType::rightMouseDown, Point(712, 889)));
        drainEvents();
        EXPECT_TRUE(w.shown());
        injectGlobal(mouseEvent(platform::EventType::leftMouseDown, Point(100, 100)));
        drainEvents();
        EXPECT_FALSE(w.shown());
        EXPECT_TRUE(OpenPanelRegistry::shared().openPanels().empty());
        EXPECT_EQ(w.reported, std::vector<bool>{false});
        // Closing again changes nothing.
        w.controller->closePanel();
        drainEvents();
        EXPECT_EQ(w.reported, std::vector<bool>{false});
    }
    SettingsWindow w(Rect(700, 878, 22, 22));
    w.controller->showWindow();
    EXPECT_FALSE(injectLocal(keyEvent(platform::KeyCode::escape)).has_value()) << "Esc goes no further";
    drainEvents();
    EXPECT_FALSE(w.shown());
    // Closed within the hold: the click monitors go at its end.
    bool held = false;
    platform::dispatchMainAfter(0.25, [&] { held = true; });
    ASSERT_TRUE(waitUntil([&] { return held; }));
    EXPECT_EQ(platform::EventMonitor::shared().localMonitorCount(), local);
    EXPECT_EQ(platform::EventMonitor::shared().globalMonitorCount(), global);
}

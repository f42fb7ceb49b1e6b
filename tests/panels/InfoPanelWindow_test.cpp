// The information panel window and its owner: placement on the main
// screen, Esc, the registry and the monitors, the opener's flag, replacing
// an open panel and letting go of one.
#include "panels/HelpView.h"
#include "panels/InfoPanelWindowController.h"
#include "panels/InfoPanels.h"

#include "platform/EventMonitor.h"
#include "support/FakeEventMonitor.h"
#include "support/FakePlatform.h"
#include "support/TestUtil.h"
#include "ui/OpenPanelRegistry.h"
#include "ui/PanelScroller.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;
namespace Key = platform::KeyCode;

namespace {

bool listed(const void* panel) {
    const auto& open = OpenPanelRegistry::shared().openPanels();
    return std::find(open.begin(), open.end(), panel) != open.end();
}

std::size_t localMonitors() { return platform::EventMonitor::shared().localMonitorCount(); }

// A main screen whose visible frame leaves out a 30-point panel at the top.
FakeScreenProvider screens() {
    platform::Screen main = FakeScreenProvider::makeScreen(7, Rect(0, 0, 1600, 1000));
    main.visibleFrame = Rect(0, 0, 1600, 970);
    platform::Screen other = FakeScreenProvider::makeScreen(8, Rect(1600, 0, 1280, 1024));
    return FakeScreenProvider({main, other});
}

struct Harness {
    explicit Harness(platform::ScreenProvider& screens, platform::Size size = {360, 470}) {
        controller = std::make_unique<InfoPanelWindowController>(
            size, [this](bool open) { reported.push_back(open); }, false, QStringLiteral("Test panel"), screens,
            [this](std::shared_ptr<DismissRef> dismiss) {
                this->dismiss = std::move(dismiss);
                return new QLabel(QStringLiteral("content"));
            });
    }
    ~Harness() {
        controller.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool shown() const { return controller && controller->window()->isVisible(); }

    std::unique_ptr<InfoPanelWindowController> controller;
    std::shared_ptr<DismissRef> dismiss;
    std::vector<bool> reported;
};

} // namespace

TEST(InfoPanelWindow, BuiltCentredOnTheMainScreensVisibleFrameAndNotShown) {
    FakeScreenProvider s = screens();
    const std::size_t monitors = localMonitors();
    Harness h(s);
    EXPECT_EQ(h.controller->window()->frame(), Rect(800 - 180, 485 - 235, 360, 470));
    EXPECT_EQ(h.controller->window()->title(), "Test panel");
    EXPECT_EQ(h.controller->window()->stacking().level(), platform::WindowLevel::panel);
    EXPECT_FALSE(h.shown());
    EXPECT_FALSE(listed(h.controller.get()));
    EXPECT_EQ(localMonitors(), monitors);

    // On whichever screen is the main one.
    s.setMainDisplay(8);
    Harness second(s, {346, 430});
    EXPECT_EQ(second.controller->window()->frame(), Rect(1600 + 640 - 173, 512 - 215, 346, 430));

    // Without a main screen it stays at the origin.
    FakeScreenProvider none;
    Harness nowhere(none);
    EXPECT_EQ(nowhere.controller->window()->frame().origin, platform::Point(0, 0));
}

TEST(InfoPanelWindow, OnADisplayShorterThanHelpItFitsTheVisibleFrameAndItsBodyScrolls) {
    // 640 × 480 with a 24-point tray panel along the top.
    platform::Screen small = FakeScreenProvider::makeScreen(1, Rect(0, 0, 640, 480));
    small.visibleFrame = Rect(0, 0, 640, 456);
    FakeScreenProvider screens({small});
    HelpView* help = nullptr;
    InfoPanelWindowController controller({HelpView::kWidth, HelpView::kHeight}, nullptr, false, QStringLiteral("Help"),
                                         screens, [&](std::shared_ptr<DismissRef> dismiss) {
                                             help = new HelpView(std::move(dismiss));
                                             return help;
                                         });
    EXPECT_EQ(controller.window()->frame(), Rect(320 - 180, 0, 360, 456));
    controller.showWindow();
    ASSERT_TRUE(waitUntil([&] { return help->height() == 456; }, 2000));
    // Header and footer whole in the panel; the body gave way and scrolls.
    EXPECT_FALSE(controller.scroller()->scrolls());
    const QRect footer(help->footerCloseButton()->mapTo(help, QPoint()), help->footerCloseButton()->size());
    EXPECT_LE(footer.bottom(), 455);
    EXPECT_GT(help->body()->verticalScrollBar()->maximum(), 0);
    controller.closePanel();
    drainEvents();

    // Where it fits, exactly as asked.
    Harness fits(screens, {346, 430});
    EXPECT_EQ(fits.controller->window()->frame(), Rect(320 - 173, 228 - 215, 346, 430));
}

// The display shrinks under an open panel and grows again: each time it is
// centred again, as it would open then, never left off the visible frame.
TEST(InfoPanelWindow, AnOpenPanelIsCentredAgainWhenItsDisplayChanges) {
    FakeScreenProvider s = screens();
    Harness h(s);
    h.controller->showWindow();
    platform::Screen small = FakeScreenProvider::makeScreen(7, Rect(0, 0, 640, 480));
    small.visibleFrame = Rect(0, 0, 640, 456);
    s.setScreens({small});
    EXPECT_TRUE(waitUntil([&] { return h.controller->window()->frame() == Rect(320 - 180, 0, 360, 456); }, 2000))
        << h.controller->window()->frame().minX() << ", " << h.controller->window()->frame().minY();
    s.setScreens(screens().screens());
    EXPECT_TRUE(
        waitUntil([&] { return h.controller->window()->frame() == Rect(800 - 180, 485 - 235, 360, 470); }, 2000));
}

TEST(InfoPanelWindow, EscClosesItOnceOnALaterTurnAndIsSwallowed) {
    FakeScreenProvider s = screens();
    const std::size_t monitors = localMonitors();
    Harness h(s);
    h.controller->showWindow();
    EXPECT_TRUE(h.shown());
    EXPECT_TRUE(listed(h.controller.get()));
    EXPECT_EQ(localMonitors(), monitors + 1);

    // Other keys go on to their window.
    EXPECT_TRUE(injectLocal(keyEvent(Key::z, 0, "z")).has_value());
    EXPECT_TRUE(h.shown());

    // Esc goes no further; the close follows on the next turn.
    EXPECT_FALSE(injectLocal(keyEvent(Key::escape)).has_value());
    EXPECT_TRUE(h.shown());
    EXPECT_FALSE(injectLocal(keyEvent(Key::escape)).has_value());
    ASSERT_TRUE(waitUntil([&] { return !h.shown(); }));
    EXPECT_FALSE(listed(h.controller.get()));
    EXPECT_EQ(localMonitors(), monitors);
    // Told once, on a later turn.
    drainEvents();
    EXPECT_EQ(h.reported, std::vector<bool>{false});

    // Closed: Esc is no longer its business.
    EXPECT_TRUE(injectLocal(keyEvent(Key::escape)).has_value());
    h.controller->closePanel();
    drainEvents();
    EXPECT_EQ(h.reported, std::vector<bool>{false});
}

TEST(InfoPanelWindow, TheContentsDismissClosesAndIsHarmlessOnceTheControllerIsGone) {
    FakeScreenProvider s = screens();
    Harness h(s);
    ASSERT_TRUE(h.dismiss);
    // A dismiss before the panel shows changes nothing.
    (*h.dismiss)();
    drainEvents();
    EXPECT_TRUE(h.reported.empty());

    h.controller->showWindow();
    (*h.dismiss)();
    EXPECT_FALSE(h.shown());
    EXPECT_TRUE(h.reported.empty());
    drainEvents();
    EXPECT_EQ(h.reported, std::vector<bool>{false});

    auto dismiss = h.dismiss;
    h.controller.reset();
    (*dismiss)();
    drainEvents();
    EXPECT_EQ(h.reported, std::vector<bool>{false});
}

TEST(InfoPanelWindow, DestroyingAnOpenPanelTakesItDownAndLeavesNoEntry) {
    FakeScreenProvider s = screens();
    const std::size_t monitors = localMonitors();
    const std::size_t windows = platform::Window::all().size();
    Harness h(s);
    h.controller->showWindow();
    const void* identity = h.controller.get();
    h.controller.reset();
    drainEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(listed(identity));
    EXPECT_EQ(localMonitors(), monitors);
    EXPECT_TRUE(waitUntil([&] { return platform::Window::all().size() == windows; }));
}

TEST(InfoPanels, OpeningTwiceShowsOneAndTheFlagsFollowTheNewest) {
    FakeScreenProvider s = screens();
    const std::size_t monitors = localMonitors();
    auto panels = std::make_unique<InfoPanels>(s);
    EXPECT_FALSE(panels->showAbout());

    panels->openAbout();
    InfoPanelWindowController* first = panels->aboutController();
    ASSERT_TRUE(first);
    EXPECT_TRUE(panels->showAbout());
    EXPECT_EQ(first->window()->frame(), Rect(800 - 173, 485 - 215, 346, 430));
    EXPECT_EQ(first->window()->title(), "Overink About");

    panels->openAbout();
    InfoPanelWindowController* second = panels->aboutController();
    drainEvents();
    // The first one's late close does not clear the flag of the second.
    EXPECT_TRUE(panels->showAbout());
    EXPECT_TRUE(second->window()->isVisible());
    int aboutWindows = 0;
    for (platform::Window* w : platform::Window::all())
        if (w->isVisible() && w->title() == "Overink About") ++aboutWindows;
    EXPECT_EQ(aboutWindows, 1);
    EXPECT_EQ(localMonitors(), monitors + 1);

    panels->openHelp();
    EXPECT_TRUE(panels->showHelp());
    EXPECT_EQ(panels->helpController()->window()->frame(), Rect(800 - 180, 485 - 235, 360, 470));
    EXPECT_EQ(panels->helpController()->window()->title(), "Overink Help");
    EXPECT_TRUE(second->window()->isVisible());

    // Esc closes the newest panel first: each panel has its own monitor and
    // the first one swallows the key.
    EXPECT_FALSE(injectLocal(keyEvent(Key::escape)).has_value());
    drainEvents();
    EXPECT_EQ(int(second->window()->isVisible()) + int(panels->helpController()->window()->isVisible()), 1);

    second->closePanel();
    EXPECT_TRUE(panels->showAbout());
    drainEvents();
    EXPECT_FALSE(panels->showAbout());

    // The owner going away takes the open help panel with it.
    const void* help = panels->helpController();
    panels->helpController()->showWindow();
    panels.reset();
    drainEvents();
    EXPECT_FALSE(listed(help));
    EXPECT_FALSE(listed(second));
    EXPECT_EQ(localMonitors(), monitors);
}

// The anchored panel base: its monitors' lifetime, Esc, clicks inside,
// outside and near the anchor, the content's way to close the panel.
#include "ui/AnchoredPanelController.h"

#include "platform/EventMonitor.h"
#include "support/FakeEventMonitor.h"
#include "support/FakePlatform.h"
#include "support/TestUtil.h"
#include "ui/OpenPanelRegistry.h"

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Point;
using platform::Rect;
using Options = ui::AnchoredPanelController::Options;
namespace Key = platform::KeyCode;
namespace Mod = platform::ModifierFlags;

namespace {

// A 200×100 panel at (500, 400) hanging under a 34×24 control at (560, 500).
class TestPanel : public ui::AnchoredPanelController {
public:
    TestPanel(std::shared_ptr<AnchorRef> anchor, std::function<void(bool)> setOpen, Options options)
        : AnchoredPanelController(platform::makeWindow(Rect(0, 0, 200, 100)), std::move(anchor), std::move(setOpen),
                                  options) {
        place();
    }
    void place() override { window()->setFrame(Rect(500, 400, 200, 100)); }
};

class MainScreenPanel : public ui::AnchoredPanelController {
public:
    explicit MainScreenPanel(const platform::ScreenProvider& screens)
        : AnchoredPanelController(platform::makeWindow(Rect(0, 0, 200, 100)), std::make_shared<AnchorRef>(), nullptr,
                                  Options{}),
          screens_(screens) {
        place();
    }
    void place() override { placeOnMainScreen(screens_); }

private:
    const platform::ScreenProvider& screens_;
};

struct Monitors {
    std::size_t local = platform::EventMonitor::shared().localMonitorCount();
    std::size_t global = platform::EventMonitor::shared().globalMonitorCount();
    friend bool operator==(const Monitors&, const Monitors&) = default;
};

struct PanelHarness {
    explicit PanelHarness(Options options = {0, false}) {
        panel = std::make_unique<TestPanel>(
            anchor, [this](bool open) { reported.push_back(open); }, options);
    }
    ~PanelHarness() {
        panel.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool shown() const { return panel && panel->window()->isVisible(); }
    bool listed() const {
        const auto& open = OpenPanelRegistry::shared().openPanels();
        return std::find(open.begin(), open.end(), panel.get()) != open.end();
    }
    // Whether the click went on to its window.
    bool click(Point at, platform::EventType type = platform::EventType::leftMouseDown) {
        const bool passed = injectLocal(mouseEvent(type, at)).has_value();
        drainEvents();
        return passed;
    }

    Monitors before;
    std::shared_ptr<AnchorRef> anchor =
        std::make_shared<AnchorRef>([] { return std::optional<Rect>(Rect(560, 500, 34, 24)); });
    std::vector<bool> reported;
    std::unique_ptr<TestPanel> panel;
};

// Waits for every timer due within `seconds` (timers of equal kind fire in
// the order they fall due).
void letTimePass(double seconds) {
    bool done = false;
    platform::dispatchMainAfter(seconds, [&done] { done = true; });
    ASSERT_TRUE(waitUntil([&] { return done; }));
}

} // namespace

TEST(AnchoredPanel, ShowingListsItAndClosingLeavesNoMonitorNorEntry) {
    PanelHarness h;
    h.panel->showWindow();
    EXPECT_TRUE(h.shown());
    EXPECT_TRUE(h.listed());
    EXPECT_EQ(platform::EventMonitor::shared().localMonitorCount(), h.before.local + 2) << "Esc and clicks";
    EXPECT_EQ(platform::EventMonitor::shared().globalMonitorCount(), h.before.global) << "only our own clicks";

    h.panel->closePanel();
    EXPECT_FALSE(h.shown());
    EXPECT_FALSE(h.listed());
    EXPECT_EQ(Monitors{}, h.before);
    EXPECT_TRUE(h.reported.empty()) << "the owner hears on a later turn";
    drainEvents();
    EXPECT_EQ(h.reported, std::vector<bool>{false});

    // Closing a closed panel changes nothing, the owner's flag included.
    h.panel->closePanel();
    drainEvents();
    EXPECT_EQ(h.reported, std::vector<bool>{false});
}

TEST(AnchoredPanel, DestroyingAnOpenPanelLeavesNoMonitorNorEntry) {
    for (Options options : {Options{0, true}, Options{0.2, true}}) {
        SCOPED_TRACE(options.clickMonitorHold);
        PanelHarness h(options);
        h.panel->showWindow();
        EXPECT_EQ(platform::EventMonitor::shared().globalMonitorCount(), h.before.global + 1);
        const void* identity = h.panel.get();
        h.panel.reset();
        EXPECT_EQ(Monitors{}, h.before);
        const auto& open = OpenPanelRegistry::shared().openPanels();
        EXPECT_EQ(std::find(open.begin(), open.end(), identity), open.end());
        // Nothing scheduled before the end touches it afterwards.
        letTimePass(0.25);
        EXPECT_EQ(Monitors{}, h.before);
    }
}

TEST(AnchoredPanel, EscClosesWithAnyModifiersAndGoesNoFurther) {
    for (std::uint64_t modifiers : {std::uint64_t{0}, Mod::shift, Mod::command | Mod::capsLock}) {
        PanelHarness h;
        h.panel->showWindow();
        EXPECT_TRUE(injectLocal(keyEvent(Key::z, modifiers, "z")).has_value()) << "other keys pass";
        drainEvents();
        EXPECT_TRUE(h.shown());

        EXPECT_FALSE(injectLocal(keyEvent(Key::escape, modifiers)).has_value());
        EXPECT_TRUE(h.shown()) << "closed on a later turn, not inside the handler";
        drainEvents();
        EXPECT_FALSE(h.shown());
        EXPECT_FALSE(h.listed());
        EXPECT_EQ(Monitors{}, h.before);
        EXPECT_TRUE(injectLocal(keyEvent(Key::escape, modifiers)).has_value()) << "closed: Esc is no longer taken";
    }
}

TEST(AnchoredPanel, ClicksInsideAndNearTheAnchorPassAndOthersCloseIt) {
    PanelHarness h;
    h.panel->showWindow();
    EXPECT_TRUE(h.click(Point(510, 410)));
    EXPECT_TRUE(h.click(Point(699, 499), platform::EventType::rightMouseDown));
    // Within 6 points of the control: the control toggles the panel itself.
    EXPECT_TRUE(h.click(Point(560 + 34 + 5, 529)));
    EXPECT_TRUE(h.click(Point(555, 512)));
    EXPECT_TRUE(h.shown());

    EXPECT_FALSE(h.click(Point(560 + 34 + 6, 512))) << "6 points off is outside";
    EXPECT_FALSE(h.shown());
    EXPECT_EQ(Monitors{}, h.before);

    // A right click elsewhere closes it as well; so does a click in another
    // application when the panel watches them.
    PanelHarness right;
    right.panel->showWindow();
    EXPECT_FALSE(right.click(Point(100, 100), platform::EventType::rightMouseDown));
    EXPECT_FALSE(right.shown());

    PanelHarness local;
    local.panel->showWindow();
    injectGlobal(mouseEvent(platform::EventType::leftMouseDown, Point(100, 100)));
    drainEvents();
    EXPECT_TRUE(local.shown()) << "a panel watching only its own application";

    PanelHarness everywhere(Options{0, true});
    everywhere.panel->showWindow();
    injectGlobal(mouseEvent(platform::EventType::leftMouseDown, Point(565, 505)));
    drainEvents();
    EXPECT_TRUE(everywhere.shown()) << "on the anchor";
    injectGlobal(mouseEvent(platform::EventType::leftMouseDown, Point(100, 100)));
    drainEvents();
    EXPECT_FALSE(everywhere.shown());
}

TEST(AnchoredPanel, ClickMonitorsWatchDuringTheHoldAndGoWithAPanelClosedInIt) {
    // Kept open past the hold: the click monitors are recorded, and closing
    // removes them at once.
    {
        PanelHarness h(Options{0.2, true});
        h.panel->showWindow();
        letTimePass(0.25);
        h.panel->closePanel();
        EXPECT_EQ(Monitors{}, h.before);
    }
    // Closed within the hold: the click monitors stay to its end, letting
    // every click through, then go.
    PanelHarness h(Options{0.2, true});
    h.panel->showWindow();
    EXPECT_FALSE(h.click(Point(100, 100))) << "watching from the start";
    EXPECT_FALSE(h.shown());
    EXPECT_EQ(platform::EventMonitor::shared().localMonitorCount(), h.before.local + 1);
    EXPECT_TRUE(h.click(Point(100, 100))) << "a closed panel keeps no click";
    letTimePass(0.25);
    EXPECT_EQ(Monitors{}, h.before);
}

TEST(AnchoredPanel, TheContentClosesItsPanelThroughTheDismissBox) {
    PanelHarness h;
    const std::shared_ptr<DismissBox> box = h.panel->dismissBox();
    h.panel->showWindow();
    (*box)();
    EXPECT_FALSE(h.shown());
    EXPECT_EQ(Monitors{}, h.before);
    // A box that outlives its panel does nothing.
    h.panel.reset();
    (*box)();
}

TEST(AnchoredPanel, WithoutAnchorItOpensNearTheTopOfTheMainScreen) {
    FakeScreenProvider screens({FakeScreenProvider::makeScreen(1, Rect(0, 0, 1440, 900))});
    MainScreenPanel panel(screens);
    EXPECT_EQ(panel.window()->frame(), Rect(620, 740, 200, 100));
    FakeScreenProvider none;
    MainScreenPanel unplaced(none);
    EXPECT_EQ(unplaced.window()->frame().size, platform::Size(200, 100));
}

namespace {

// A 200-wide panel of a given height beside a control of a vertical
// toolbar window standing at the right edge of a 1024×600 screen.
class SidePanel : public ui::AnchoredPanelController {
public:
    SidePanel(std::shared_ptr<AnchorRef> anchor, const platform::ScreenProvider& screens, double height)
        : AnchoredPanelController(makePanelWindow(QStringLiteral("side"), 200, height), std::move(anchor), nullptr,
                                  Options{0, false}),
          screens_(screens) {
        followContentHeight(PanelOpenDirection::toLeft);
        place();
    }
    void place() override { placeBesideAnchor(PanelOpenDirection::toLeft, ui::PanelAlignment::centred(), screens_); }

private:
    const platform::ScreenProvider& screens_;
};

struct SideToolbar {
    explicit SideToolbar(double controlY) {
        platform::Screen screen = FakeScreenProvider::makeScreen(1, Rect(0, 0, 1024, 600));
        screen.visibleFrame = Rect(0, 0, 1024, 576);
        screens = std::make_shared<FakeScreenProvider>(std::vector{screen});
        toolbar->setFrame(Rect(964, 8, 52, 560));
        auto* content = new QWidget;
        toolbar->setContentView(content);
        auto* control = new QWidget(content);
        // Widget space runs downwards from the window's top (y 568).
        control->setGeometry(14, int(568 - controlY - 24), 24, 24);
        anchor->nsView = control;
        toolbar->orderFront();
        drainEvents();
    }
    ~SideToolbar() {
        toolbar.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::shared_ptr<FakeScreenProvider> screens;
    platform::WindowPtr<> toolbar = platform::makeWindow(Rect(0, 0, 52, 560));
    std::shared_ptr<AnchorRef> anchor = std::make_shared<AnchorRef>();
};

} // namespace

TEST(AnchoredPanel, APanelThatWouldLeaveItsDisplayIsMovedOntoItAndStaysThereAsItGrows) {
    // Beside a control near the bottom the panel centred on it would hang
    // below the visible frame: it is lifted just inside, still against the
    // toolbar.
    SideToolbar low(20);
    ASSERT_EQ(ui::AnchoredPanelController::anchorFrames(low.anchor.get())->anchor, Rect(978, 20, 24, 24));
    SidePanel panel(low.anchor, *low.screens, 300);
    EXPECT_EQ(panel.window()->frame(), Rect(964 - 200, 0, 200, 300));
    panel.showWindow();
    // Growing keeps the top edge, then the bottom is brought back inside.
    panel.resizeToContent(400);
    EXPECT_EQ(panel.window()->frame(), Rect(964 - 200, 0, 200, 400));
    // Taller than the visible frame: its top edge on the frame's top.
    panel.resizeToContent(700);
    EXPECT_EQ(panel.window()->frame().maxY(), 576);
    panel.closePanel();

    // Where the formula fits, it holds to the point.
    SideToolbar middle(300);
    SidePanel exact(middle.anchor, *middle.screens, 300);
    EXPECT_EQ(exact.window()->frame(), Rect(764, 312 - 150, 200, 300));
}

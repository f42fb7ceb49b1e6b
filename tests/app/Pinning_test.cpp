// Picking another program's window, following it while pinned, and putting
// everything back when the pin ends.
#include "app/AppDelegate.h"
#include "capture/WindowAttachManager.h"
#include "platform/EventMonitor.h"

#include "support/FakeEventMonitor.h"
#include "support/FakePlatform.h"
#include "support/FakeWindowList.h"
#include "support/TestDrawingState.h"
#include "support/TestStrokes.h"
#include "support/TestUtil.h"
#include "toolbar/ToolbarWindowController.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Point;
using platform::Rect;
using platform::Size;
namespace Key = platform::KeyCode;

namespace {

constexpr std::int32_t kOtherPid = 4242;

struct Pinning {
    Pinning() {
        AppServices s;
        s.environment = t.environment();
        s.claimSingleInstance = [] { return true; };
        s.makeStatusItem = [](platform::ScreenProvider& screens) {
            return std::make_unique<platform::StatusItem>("pencil.tip.crop.circle", "Overink", screens);
        };
        s.windowList = windows;
        s.makeDisplayLink = links.factory();
        s.mediaTime = [this] { return now; };
        delegate = std::make_unique<AppDelegate>(std::move(s));
        delegate->applicationDidFinishLaunching();
        drainEvents();
    }
    ~Pinning() {
        delegate.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    DrawingState& state() const { return *delegate->drawingState(); }
    WindowAttachManager& manager() const { return *delegate->attachManager(); }
    platform::Window* toolbar() const { return delegate->toolbarController()->window(); }
    Size toolbarSize() const { return toolbar()->frame().size; }

    // An ordinary window of another program, given in screen space.
    void addWindow(std::uint32_t id, Rect frame, std::int32_t pid = kOtherPid) {
        windows->list.insert(windows->list.begin(), FakeWindowList::window(id, listBounds(frame), pid));
    }
    void moveWindow(std::uint32_t id, Rect frame) { windows->find(id)->bounds = listBounds(frame); }
    static Rect listBounds(Rect frame) { return Rect(frame.minX(), 900 - frame.maxY(), frame.width(), frame.height()); }

    void startPicking() {
        state().isPickingAttachWindow = true;
        drainEvents();
    }
    // A click on another program's window, seen by the global monitor.
    void clickAt(Point p) {
        t.mouse->setLocation(p);
        injectGlobal(mouseEvent(platform::EventType::leftMouseDown, p));
        drainEvents();
    }
    // Refreshes until the reports settle.
    void refresh(int count = 60) {
        for (int i = 0; i < count; ++i) {
            now += 1.0 / 60;
            links.tick(now + 1.0 / 60);
        }
        drainEvents();
    }
    std::optional<Rect> overlayFrame() const {
        const auto it = state().overlayControllers.find(1);
        if (it == state().overlayControllers.end()) return std::nullopt;
        return it->second->windowFrame();
    }

    TestDrawingState t;
    std::shared_ptr<FakeWindowList> windows = std::make_shared<FakeWindowList>();
    FakeDisplayLinks links;
    double now = 50;
    std::unique_ptr<AppDelegate> delegate;
};

bool near(Point a, Point b) { return std::abs(a.x - b.x) < 0.2 && std::abs(a.y - b.y) < 0.2; }

} // namespace

TEST(Pinning, AClickOnAWindowPinsTheToolbarAndTheDrawingToIt) {
    Pinning p;
    p.delegate->toggleToolbar();
    drainEvents();
    p.state().addStroke(penStroke({{10, 10}, {40, 40}}));
    p.state().addStroke(penStroke({{50, 50}, {80, 80}}));
    const Rect dock = p.toolbar()->frame();
    const auto screenOverlay = p.overlayFrame();
    const auto globals = platform::EventMonitor::shared().globalMonitorCount();
    p.startPicking();
    EXPECT_EQ(platform::EventMonitor::shared().globalMonitorCount(), globals + 1);

    const Rect window(300, 200, 600, 400);
    p.addWindow(7, window);
    p.clickAt(Point(500, 450));
    EXPECT_TRUE(p.state().isAttachedToWindow);
    EXPECT_FALSE(p.state().isPickingAttachWindow);
    EXPECT_EQ(platform::EventMonitor::shared().globalMonitorCount(), globals);
    EXPECT_EQ(p.manager().targetWindowID(), 7u);
    EXPECT_EQ(p.manager().attachEdge(), AttachEdge::top);
    ASSERT_EQ(p.links.liveCount(), 1);
    EXPECT_EQ(p.links.records.back()->display, 1u);

    // The drawing starts empty; the toolbar sits above the window; the
    // overlay fits the window, 2 points inside, its top strip passing clicks.
    EXPECT_TRUE(p.state().strokes->empty());
    EXPECT_EQ(p.state().strokesHiddenForAttach.size(), 2u);
    EXPECT_EQ(p.toolbar()->frame().origin,
              WindowAttachManager::toolbarOrigin(window, AttachEdge::top, p.toolbarSize()));
    EXPECT_EQ(p.overlayFrame(), Rect(302, 202, 596, 396));
    EXPECT_EQ(p.state().canvasConstraintFrame.get(), QRectF(0, 0, 596, 396));
    EXPECT_EQ(p.state().overlayPassthroughRects, std::vector<QRectF>{QRectF(0, 0, 596, 26)});

    // Drawn while pinned, then unpinned from the toolbar: the strokes set
    // aside come back and everything returns to the dock.
    p.state().addStroke(penStroke({{5, 5}, {9, 9}}));
    p.state().isAttachedToWindow = false;
    drainEvents();
    EXPECT_EQ(p.state().strokes->size(), 2u);
    EXPECT_EQ(p.manager().targetWindowID(), 0u);
    EXPECT_EQ(p.links.liveCount(), 0);
    EXPECT_FALSE(p.state().canvasConstraintFrame.get());
    EXPECT_TRUE(p.state().overlayPassthroughRects.empty());
    EXPECT_EQ(p.overlayFrame(), screenOverlay);
    EXPECT_EQ(p.toolbar()->frame(), dock);
}

TEST(Pinning, ClicksThatFindNoWindowKeepPickingAndEscEndsIt) {
    Pinning p;
    p.delegate->toggleToolbar();
    drainEvents();
    const auto globals = platform::EventMonitor::shared().globalMonitorCount();
    p.startPicking();
    p.addWindow(1, Rect(100, 100, 50, 50));
    p.addWindow(2, Rect(300, 100, 200, 50));
    p.addWindow(3, Rect(600, 100, 300, 300), static_cast<std::int32_t>(QCoreApplication::applicationPid()));
    for (Point at : {Point(120, 120), Point(400, 120), Point(700, 200), Point(1200, 800)}) {
        p.clickAt(at);
        EXPECT_TRUE(p.state().isPickingAttachWindow) << at.x;
        EXPECT_FALSE(p.state().isAttachedToWindow) << at.x;
    }
    EXPECT_EQ(platform::EventMonitor::shared().globalMonitorCount(), globals + 1);
    EXPECT_EQ(p.links.records.size(), 0u);

    // 51 × 51 is large enough.
    p.addWindow(4, Rect(100, 300, 51, 51));
    p.clickAt(Point(120, 320));
    EXPECT_EQ(p.manager().targetWindowID(), 4u);
    p.state().isAttachedToWindow = false;
    drainEvents();

    p.startPicking();
    EXPECT_FALSE(injectLocal(keyEvent(Key::escape, 0, QStringLiteral("\x1b"))));
    drainEvents();
    EXPECT_FALSE(p.state().isPickingAttachWindow);
    EXPECT_EQ(platform::EventMonitor::shared().globalMonitorCount(), globals);
    p.clickAt(Point(120, 320));
    EXPECT_FALSE(p.state().isAttachedToWindow);
}

TEST(Pinning, TheToolbarAndOverlayFollowTheWindowAndFlipAtTheScreenTop) {
    Pinning p;
    p.delegate->toggleToolbar();
    drainEvents();
    p.startPicking();
    p.addWindow(7, Rect(300, 200, 600, 400));
    p.clickAt(Point(500, 450));
    const Size size = p.toolbarSize();

    const Rect moved(400, 300, 600, 400);
    p.moveWindow(7, moved);
    p.refresh();
    EXPECT_TRUE(near(p.toolbar()->frame().origin, WindowAttachManager::toolbarOrigin(moved, AttachEdge::top, size)));
    ASSERT_TRUE(p.overlayFrame());
    EXPECT_TRUE(near(p.overlayFrame()->origin, Point(402, 302)));
    EXPECT_EQ(p.state().canvasConstraintFrame.get(), QRectF(0, 0, 596, 396));

    // Too close to the top for the toolbar above: it goes below, and stays
    // there when the window comes back down.
    const Rect high(400, 900 - 400 - 10, 600, 400);
    p.moveWindow(7, high);
    p.refresh();
    EXPECT_EQ(p.manager().attachEdge(), AttachEdge::bottom);
    EXPECT_TRUE(near(p.toolbar()->frame().origin, WindowAttachManager::toolbarOrigin(high, AttachEdge::bottom, size)));
    p.moveWindow(7, moved);
    p.refresh();
    EXPECT_EQ(p.manager().attachEdge(), AttachEdge::bottom);

    // A resize changes the canvas area and the passthrough strip at once.
    p.moveWindow(7, Rect(400, 300, 700, 500));
    p.refresh(1);
    EXPECT_EQ(p.state().canvasConstraintFrame.get(), QRectF(0, 0, 696, 496));
    EXPECT_EQ(p.state().overlayPassthroughRects, std::vector<QRectF>{QRectF(0, 0, 696, 26)});

    // Shown again while pinned: beside the window, not at the dock.
    p.delegate->showToolbar(std::nullopt);
    EXPECT_TRUE(near(p.toolbar()->frame().origin,
                     WindowAttachManager::toolbarOrigin(*p.manager().windowFrame(7), AttachEdge::bottom, size)));
}

TEST(Pinning, APinnedToolbarKeepsItsEdgeWhenTheDisplaysChange) {
    Pinning p;
    p.delegate->toggleToolbar();
    drainEvents();
    p.startPicking();
    const Rect window(300, 400, 600, 400);
    p.addWindow(7, window);
    p.clickAt(Point(500, 450));
    ASSERT_TRUE(p.state().isAttachedToWindow);
    const Rect pinned = p.toolbar()->frame();
    ASSERT_EQ(pinned.origin, WindowAttachManager::toolbarOrigin(window, AttachEdge::top, p.toolbarSize()));

    // A panel along the top now covers the toolbar above the window: it
    // stays on the window's edge all the same.
    platform::Screen screen = FakeScreenProvider::makeScreen(1, Rect(0, 0, 1440, 900));
    screen.visibleFrame = Rect(0, 0, 1440, pinned.minY() + 10);
    p.t.screens->setScreens({screen});
    drainEvents();
    EXPECT_EQ(p.toolbar()->frame(), pinned);
}

TEST(Pinning, TheWindowClosingRestoresEverythingAndAHiddenToolbarStaysHidden) {
    Pinning p;
    p.delegate->toggleToolbar();
    drainEvents();
    p.state().addStroke(penStroke({{10, 10}, {40, 40}}));
    const auto screenOverlay = p.overlayFrame();
    p.startPicking();
    p.addWindow(7, Rect(300, 200, 600, 400));
    p.clickAt(Point(500, 450));
    // A second click before picking has ended sets nothing aside again.
    p.state().isPickingAttachWindow = true;
    p.clickAt(Point(500, 450));
    p.state().isPickingAttachWindow = false;
    drainEvents();

    p.windows->remove(7);
    p.refresh(1);
    EXPECT_FALSE(p.state().isAttachedToWindow);
    EXPECT_EQ(p.state().strokes->size(), 1u);
    EXPECT_EQ(p.links.liveCount(), 0);
    EXPECT_EQ(p.overlayFrame(), screenOverlay);

    // Pinned again with the toolbar hidden: the unpin leaves it hidden.
    p.startPicking();
    p.addWindow(8, Rect(300, 200, 600, 400));
    p.clickAt(Point(500, 450));
    ASSERT_TRUE(p.state().isAttachedToWindow);
    p.delegate->toolbarController()->window()->close();
    drainEvents();
    p.state().isAttachedToWindow = false;
    drainEvents();
    EXPECT_FALSE(p.toolbar()->isVisible());
    EXPECT_EQ(p.state().strokes->size(), 1u);
}

TEST(Pinning, AnUnpinWithNothingPinnedKeepsTheDrawing) {
    Pinning p;
    p.delegate->toggleToolbar();
    drainEvents();
    p.state().addStroke(penStroke({{10, 10}, {40, 40}}));
    p.state().isAttachedToWindow = false;
    drainEvents();
    EXPECT_EQ(p.state().strokes->size(), 1u);
    EXPECT_EQ(p.state().undoStack->size(), 1u);
}

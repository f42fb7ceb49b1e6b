// The delegate's toolbar: shown at the dock position of the main screen,
// rebuilt for a new dock position, visible exactly while its window is.
#include "app/AppDelegate.h"
#include "app/ToolbarPlacement.h"
#include "capture/ScreenCaptureCoordinator.h"

#include "colorpicker/ColorPickerWindowController.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "toolbar/DrawingToolbarView.h"
#include "toolbar/FontPickerWindowController.h"
#include "toolbar/SubmenuWindowController.h"
#include "toolbar/ToolButton.h"
#include "toolbar/ToolSlotView.h"
#include "toolbar/ToolbarWindowController.h"
#include "ui/TooltipChipModifier.h"

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;
using P = ToolbarDockPosition;

namespace {

struct Delegate {
    Delegate() {
        AppServices s;
        s.environment = t.environment();
        s.claimSingleInstance = [] { return true; };
        s.activate = [this] { ++activations; };
        s.makeStatusItem = [](platform::ScreenProvider& screens) {
            return std::make_unique<platform::StatusItem>("pencil.tip.crop.circle", "Overink", screens);
        };
        delegate = std::make_unique<AppDelegate>(std::move(s));
        delegate->applicationDidFinishLaunching();
        drainEvents();
    }
    ~Delegate() {
        delegate.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    DrawingState& state() const { return *delegate->drawingState(); }
    platform::Window* toolbar() const { return delegate->toolbarController()->window(); }
    void setScreen(Rect frame, Rect visible) {
        platform::Screen s = FakeScreenProvider::makeScreen(1, frame);
        s.visibleFrame = visible;
        t.screens->setScreens({s});
        drainEvents();
    }

    TestDrawingState t;
    std::unique_ptr<AppDelegate> delegate;
    int activations = 0;
};

} // namespace

TEST(ShowToolbar, PlacesTheToolbarAtItsDockPositionAndActivates) {
    Delegate d;
    d.setScreen(Rect(0, 0, 1440, 900), Rect(0, 70, 1440, 805));
    d.delegate->toggleToolbar();
    drainEvents();
    ASSERT_TRUE(d.toolbar()->isVisible());
    EXPECT_TRUE(d.state().isToolbarVisible);
    EXPECT_EQ(d.activations, 1);
    const platform::Size size = d.toolbar()->frame().size;
    EXPECT_EQ(d.toolbar()->frame().origin, platform::Point(720 - size.width / 2, 875 - size.height - 8));

    // The bottom positions go to the top row while a panel takes the bottom.
    d.delegate->showToolbar(std::nullopt);
    d.state().toolbarDockPosition = P::bottomCenterH;
    drainEvents();
    EXPECT_EQ(d.toolbar()->frame().origin.y, 875 - size.height - 8);
    d.setScreen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875));
    d.delegate->showToolbar(std::nullopt);
    EXPECT_EQ(d.toolbar()->frame().origin, platform::Point(720 - size.width / 2, 8));
}

TEST(ShowToolbar, WithoutAScreenNothingHappens) {
    Delegate d;
    d.t.screens->setScreens({});
    d.delegate->showToolbar(std::nullopt);
    EXPECT_FALSE(d.toolbar()->isVisible());
    EXPECT_FALSE(d.state().isToolbarVisible);
    EXPECT_EQ(d.activations, 0);
}

TEST(RebuildToolbar, ADockPositionChangeKeepsTheToolbarShownOrHidden) {
    Delegate d;
    ToolbarWindowController* first = d.delegate->toolbarController();
    drainEvents();
    EXPECT_EQ(d.delegate->toolbarController(), first) << "the position read at launch rebuilds nothing";

    d.delegate->toggleToolbar();
    drainEvents();
    QPointer<platform::Window> old = d.toolbar();
    d.state().toolbarDockPosition = P::middleLeftV;
    drainEvents();
    ASSERT_NE(d.delegate->toolbarController(), first);
    EXPECT_FALSE(old && old->isVisible());
    platform::Window* now = d.toolbar();
    EXPECT_TRUE(now->isVisible());
    EXPECT_TRUE(d.state().isToolbarVisible);
    EXPECT_GT(now->frame().height(), now->frame().width());
    EXPECT_EQ(now->frame().origin, platform::Point(8, 450 - now->frame().height() / 2));
    EXPECT_EQ(d.delegate->captureCoordinator()->toolbarController(), d.delegate->toolbarController());
    EXPECT_TRUE(d.state().isOverlayVisible) << "the overlays are left alone";

    // Hidden, it stays hidden; the next click shows it at the new place.
    d.delegate->toggleToolbar();
    drainEvents();
    d.state().toolbarDockPosition = P::bottomRightH;
    drainEvents();
    EXPECT_FALSE(d.toolbar()->isVisible());
    EXPECT_FALSE(d.state().isToolbarVisible);
    d.delegate->toggleToolbar();
    drainEvents();
    const Rect frame = d.toolbar()->frame();
    EXPECT_EQ(frame.origin, platform::Point(1440 - frame.width() - 8, 8));
    EXPECT_LT(frame.height(), frame.width());
}

TEST(ShowToolbar, ABottomToolbarMovedToTheTopRowOpensItsPanelsAndChipsBelowIt) {
    Delegate d;
    d.setScreen(Rect(0, 0, 1440, 900), Rect(0, 70, 1440, 805));
    d.state().toolbarDockPosition = P::bottomCenterH;
    drainEvents();
    d.delegate->toggleToolbar();
    drainEvents();
    const Rect bar = d.toolbar()->frame();
    ASSERT_EQ(bar.maxY(), 875 - 8) << "in the top row";
    DrawingToolbarView* view = d.delegate->toolbarController()->toolbarView();
    EXPECT_EQ(view->direction(), PanelOpenDirection::below);
    EXPECT_EQ(view->penSlot()->chip()->placement(), TooltipPlacement::toolbar(PanelOpenDirection::below));
    EXPECT_EQ(view->toolButtons().front()->chip()->placement(), TooltipPlacement::toolbar(PanelOpenDirection::below));

    view->openPenSubmenu();
    ASSERT_TRUE(view->panels().penSubmenu());
    EXPECT_EQ(view->panels().penSubmenu()->window()->frame().maxY(), bar.minY()) << "hanging under the toolbar";
    view->openPenSubmenu();
    view->toggleColorPicker();
    ASSERT_TRUE(view->panels().colorPicker());
    EXPECT_EQ(view->panels().colorPicker()->window()->frame().maxY(), bar.minY());
    view->toggleColorPicker();
    view->openFontPicker();
    ASSERT_TRUE(view->panels().fontPicker());
    EXPECT_EQ(view->panels().fontPicker()->window()->frame().maxY(), bar.minY());
    view->openFontPicker();
    drainEvents();

    // With the bottom free again the toolbar goes back down and its panels
    // stand on it.
    d.setScreen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875));
    d.delegate->showToolbar(std::nullopt);
    drainEvents();
    EXPECT_FALSE(d.state().isToolbarMovedToTopRow);
    EXPECT_EQ(view->direction(), PanelOpenDirection::above);
    view->openShapeSubmenu();
    ASSERT_TRUE(view->panels().shapeSubmenu());
    EXPECT_EQ(view->panels().shapeSubmenu()->window()->frame().minY(), d.toolbar()->frame().maxY());
    view->openShapeSubmenu();
    drainEvents();
}

TEST(ShowToolbar, AToolbarLongerThanTheScreenBreaksIntoLinesThatKeepEveryControlOnIt) {
    Delegate d;
    // 1024×600 with a 24-point panel along the top.
    d.setScreen(Rect(0, 0, 1024, 600), Rect(0, 0, 1024, 576));
    d.state().toolbarDockPosition = P::middleLeftV;
    drainEvents();
    d.delegate->toggleToolbar();
    drainEvents();
    const Rect visible(0, 0, 1024, 576);
    const Rect bar = d.toolbar()->frame();
    EXPECT_TRUE(visible.insetBy(8, 8).contains(bar)) << "the toolbar stays 8 points inside the visible frame";
    EXPECT_EQ(bar.origin.x, 8);
    EXPECT_NEAR(bar.origin.y, 288 - bar.height() / 2, 0.5) << "whole pixels";
    DrawingToolbarView* view = d.delegate->toolbarController()->toolbarView();
    EXPECT_EQ(view->lineStarts().size(), 2u);
    EXPECT_EQ(QSize(int(bar.width()), int(bar.height())), view->size()) << "the window is the toolbar";
    int dividers = 0;
    for (QWidget* item : view->itemWidgets()) {
        if (dynamic_cast<GroupDivider*>(item)) {
            dividers += item->isVisibleTo(view);
            continue;
        }
        EXPECT_TRUE(item->isVisibleTo(view));
        EXPECT_TRUE(view->rect().contains(item->geometry())) << item->accessibleName().toStdString();
    }
    EXPECT_EQ(dividers, 4) << "the divider where the columns part is left out";
    const QRect capture = view->captureButton()->geometry();
    EXPECT_GE(capture.left(), view->width() / 2) << "the last control heads the second column's end";

    // A narrow screen breaks a horizontal toolbar into rows; a wide one
    // gives the single row back.
    d.state().toolbarDockPosition = P::topCenterH;
    drainEvents();
    d.setScreen(Rect(0, 0, 480, 800), Rect(0, 0, 480, 800));
    d.delegate->showToolbar(std::nullopt);
    EXPECT_TRUE(Rect(0, 0, 480, 800).contains(d.toolbar()->frame()));
    EXPECT_GT(d.delegate->toolbarController()->toolbarView()->lineStarts().size(), 1u);
    d.setScreen(Rect(0, 0, 1920, 1080), Rect(0, 0, 1920, 1080));
    d.delegate->showToolbar(std::nullopt);
    EXPECT_EQ(d.delegate->toolbarController()->toolbarView()->lineStarts().size(), 1u);
    EXPECT_EQ(d.toolbar()->frame().height(), 36);
}

TEST(ShowToolbar, ADisplayChangeThatLeavesTheToolbarOffItsDisplayPlacesItAgainThere) {
    Delegate d;
    d.setScreen(Rect(0, 0, 1920, 1080), Rect(0, 0, 1920, 1056));
    d.delegate->toggleToolbar();
    drainEvents();
    const int activations = d.activations;
    const platform::Size wide = d.toolbar()->frame().size;
    ASSERT_EQ(d.toolbar()->frame().origin, platform::Point(960 - wide.width / 2, 1056 - 36 - 8));

    // The screen shrinks to 640 × 480: back at the top centre, in two rows.
    d.setScreen(Rect(0, 0, 640, 480), Rect(0, 0, 640, 456));
    const Rect small = d.toolbar()->frame();
    EXPECT_TRUE(Rect(8, 8, 624, 440).contains(small));
    EXPECT_NEAR(small.origin.x, 320 - small.width() / 2, 0.5) << "whole pixels";
    EXPECT_EQ(small.origin.y, 456 - small.height() - 8);
    EXPECT_EQ(d.delegate->toolbarController()->toolbarView()->lineStarts().size(), 2u);
    EXPECT_EQ(d.activations, activations) << "placed again, not brought forward";

    // Still inside after the next change: it stays where it is.
    d.setScreen(Rect(0, 0, 1920, 1080), Rect(0, 0, 1920, 1056));
    EXPECT_EQ(d.toolbar()->frame(), small);

    // A panel along the bottom comes over a toolbar docked there: it goes to
    // the top row, and its panels open below it.
    d.state().toolbarDockPosition = P::bottomCenterH;
    drainEvents();
    ASSERT_EQ(d.toolbar()->frame().minY(), 8);
    d.setScreen(Rect(0, 0, 1920, 1080), Rect(0, 60, 1920, 996));
    EXPECT_EQ(d.toolbar()->frame().maxY(), 1056 - 8);
    EXPECT_TRUE(d.state().isToolbarMovedToTopRow);
    EXPECT_EQ(d.delegate->toolbarController()->toolbarView()->direction(), PanelOpenDirection::below);

    // Hidden, it is left alone until it is shown.
    d.delegate->toggleToolbar();
    drainEvents();
    const Rect hidden = d.toolbar()->frame();
    d.setScreen(Rect(0, 0, 1024, 600), Rect(0, 0, 1024, 576));
    EXPECT_EQ(d.toolbar()->frame(), hidden);
}

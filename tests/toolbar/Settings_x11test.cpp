// The settings panel on a real X server: under the tray icon, its diagram
// without the spots a desktop panel covers, and used with the real pointer.
#include "RealToolbar.h"
#include "app/ToolbarPlacement.h"
#include "support/DockWindow.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "toolbar/SettingsControls.h"
#include "toolbar/SettingsPanelRoot.h"
#include "toolbar/SettingsWindowController.h"
#include "toolbar/ToolbarPositionDiagramView.h"

#include <QSystemTrayIcon>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;
using P = ToolbarDockPosition;

namespace {

SettingsWindowController* settingsPanel(const RealToolbar& t) { return t.delegate->settingsController(); }

DockSpotButton* bar(const SettingsWindowController& panel, P position) {
    for (DockSpotButton* b : panel.root()->diagram()->buttons())
        if (b->position() == position) return b;
    return nullptr;
}

} // namespace

TEST(SettingsOnX11, ADesktopPanelAlongTheBottomTakesItsSpotsOutOfTheDiagram) {
    RealToolbar t;
    BottomDock dock(70);
    ASSERT_TRUE(waitUntil([&] { return t.state().screenProvider().mainScreen()->visibleFrame.minY() == 70; }));
    t.delegate->toggleSettingsPanel();
    ASSERT_TRUE(waitUntil([&] { return panelUp(settingsPanel(t)); }));
    std::vector<P> bars;
    for (DockSpotButton* b : settingsPanel(t)->root()->diagram()->buttons()) bars.push_back(b->position());
    EXPECT_EQ(bars, (std::vector<P>{P::topLeftH, P::topCenterH, P::topRightH, P::topLeftV, P::topRightV, P::middleLeftV,
                                    P::middleRightV}));
    // Without a tray icon: at the top of the main screen, 60 below the tray panel.
    const Rect f = settingsPanel(t)->window()->frame();
    EXPECT_EQ(f.maxY(), 1056 - 60);
    EXPECT_EQ(f.midX(), 960);
}

TEST(SettingsOnX11, ClicksOpenTheSectionTickAToolAndDockTheToolbarBottomLeft) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "needs a tray host";
    RealToolbar t(/*withTrayIcon=*/true);
    ASSERT_TRUE(t.showAndSettle());
    // The tray host places the icon after embedding it; wait until it rests.
    const auto icon = waitUntilSteady([&]() -> std::optional<Rect> {
        const auto f = t.delegate->statusItem()->buttonFrame();
        if (f && f->maxX() <= 1920) return f;
        return std::nullopt;
    });
    ASSERT_TRUE(icon);
    t.delegate->toggleSettingsPanel();
    ASSERT_TRUE(waitUntil([&] { return panelUp(settingsPanel(t)); }));
    SettingsWindowController& panel = *settingsPanel(t);
    const Rect opened = panel.window()->frame();
    EXPECT_EQ(opened.maxY(), icon->minY() - 6) << "6 under the icon";
    EXPECT_EQ(opened.maxX(), 1920) << "kept on the screen";

    clickOn(RealToolbar::centreOf(panel.root()->smoothingHeader()));
    ASSERT_TRUE(waitUntil([&] {
        return panel.window()->frame().height() > opened.height() + 80 &&
               panel.root()->smoothingHeader()->chevronAngle() == 90;
    }));
    EXPECT_EQ(panel.window()->frame().maxY(), opened.maxY());
    ASSERT_TRUE(waitUntil([&] { return panelUp(&panel); }));
    SettingsCheckbox* airbrush = panel.root()->toolCheckbox(DrawingTool::airbrush);
    clickOn(airbrush->mapToGlobal(QPoint(8, airbrush->height() / 2)));
    EXPECT_TRUE(waitUntil([&] { return t.state().smoothingEnabledTools->contains(DrawingTool::airbrush); }));
    EXPECT_TRUE(panel.window()->isVisible()) << "a tool's checkbox leaves the panel open";

    clickOn(RealToolbar::centreOf(bar(panel, P::bottomLeftH)));
    EXPECT_TRUE(waitUntil([&] { return !panel.window()->isVisible(); }));
    EXPECT_EQ(t.state().toolbarDockPosition.get(), P::bottomLeftH);
    EXPECT_TRUE(waitUntil([&] {
        platform::Window* w = t.window();
        return w && w->isVisible() && w->frame().origin == platform::Point(8, 8);
    }));
}

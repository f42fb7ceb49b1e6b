// The toolbar on a real X server: placed below the tray panel and above a
// bottom panel, clicked and typed into with the real pointer and keyboard.
#include "RealToolbar.h"
#include "platform/X11.h"
#include "support/DockWindow.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "toolbar/CanvasVisibilityControl.h"
#include "toolbar/DrawingToolbarView.h"
#include "toolbar/ToolButton.h"
#include "toolbar/ToolbarWindowController.h"
#include "toolbar/WidthControl.h"

#include <QCursor>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;

TEST(ToolbarOnX11, StandsBelowTheTrayPanelAndAboveABottomPanel) {
    RealToolbar t;
    ASSERT_TRUE(t.showAndSettle());
    const platform::Size size = t.window()->frame().size;
    // The tray panel takes the top 24 pixels: 8 below it, centred.
    EXPECT_EQ(t.window()->frame(), Rect(960 - size.width / 2, 1056 - size.height - 8, size.width, size.height));

    t.state().toolbarDockPosition = ToolbarDockPosition::bottomLeftH;
    EXPECT_TRUE(
        waitUntil([&] { return t.window()->isVisible() && t.window()->frame().origin == platform::Point(8, 8); }));

    // A panel at the bottom: the horizontal bottom row moves to the top.
    BottomDock panel(48);
    ASSERT_TRUE(
        waitUntil([&] { return t.state().screenProvider().mainScreen()->visibleFrame == Rect(0, 48, 1920, 1008); }));
    t.state().toolbarDockPosition = ToolbarDockPosition::bottomCenterH;
    EXPECT_TRUE(waitUntil([&] {
        return t.window()->isVisible() &&
               t.window()->frame().origin == platform::Point(960 - size.width / 2, 1056 - size.height - 8);
    }));
    // The vertical corners stay above the panel.
    t.state().toolbarDockPosition = ToolbarDockPosition::bottomRightV;
    EXPECT_TRUE(waitUntil([&] {
        const Rect f = t.window()->frame();
        return t.window()->isVisible() && f.origin == platform::Point(1920 - f.width() - 8, 56) &&
               f.height() > f.width();
    }));
}

TEST(ToolbarOnX11, ClicksSelectToolsAndTheTypedWidthTakesTheKeyboard) {
    RealToolbar t;
    ASSERT_TRUE(t.showAndSettle());
    ToolButton* line = nullptr;
    for (ToolButton* b : t.view()->toolButtons())
        if (b->tool() == DrawingTool::line) line = b;
    ASSERT_TRUE(line);
    const QPoint at = RealToolbar::centreOf(line);
    clickOn(at);
    EXPECT_TRUE(waitUntil([&] { return t.state().selectedTool.get() == DrawingTool::line; }, 2000));
    EXPECT_FALSE(t.window()->keyboard().isKeyWindow()) << "a click leaves the toolbar without the keyboard";

    ThicknessValue* value = t.view()->thicknessValue();
    const QPoint v = RealToolbar::centreOf(value);
    clickOn(v);
    ASSERT_TRUE(waitUntil([&] { return value->isEditingThickness() && t.window()->keyboard().isKeyWindow(); }, 3000));
    ASSERT_TRUE(waitUntil([&] { return value->field()->hasFocus(); }, 2000));
    xdotool({"type", "--delay", "50", "25"});
    pressKey("Return");
    EXPECT_TRUE(waitUntil([&] { return t.state().lineWidth.get() == 25 && !value->isEditingThickness(); }, 2000));
    EXPECT_TRUE(waitUntil([&] { return !t.window()->keyboard().isKeyWindow(); }, 2000)) << "the keyboard is given back";
    EXPECT_FALSE(value->field()->hasFocus());
    EXPECT_FALSE(ToolbarWindowController::allowsKey());

    // Esc in the field drops the text and nothing else: the tool stays.
    clickOn(v);
    ASSERT_TRUE(waitUntil([&] { return value->field()->hasFocus(); }, 3000))
        << "editing " << value->isEditingThickness() << ", key " << t.window()->keyboard().isKeyWindow();
    xdotool({"type", "--delay", "50", "60"});
    pressKey("Escape");
    EXPECT_TRUE(waitUntil([&] { return !value->isEditingThickness(); }, 2000));
    drainEvents();
    EXPECT_EQ(t.state().lineWidth.get(), 25);
    EXPECT_EQ(t.state().selectedTool.get(), DrawingTool::line);
}

namespace {

// The display split into two RandR monitors side by side, as two screens
// would be; put back as one when done.
struct TwoMonitors {
    TwoMonitors() {
        ok = xrandr({"--setmonitor", "L", "960/254x1080/286+0+0", "screen"}) &&
             xrandr({"--setmonitor", "R", "960/254x1080/286+960+0", "none"});
    }
    ~TwoMonitors() {
        xrandr({"--delmonitor", "R"});
        xrandr({"--delmonitor", "L"});
    }
    static bool xrandr(const QStringList& args) {
        QProcess p;
        p.start("xrandr", args);
        return p.waitForFinished(10000) && p.exitCode() == 0;
    }
    bool ok = false;
};

} // namespace

TEST(ToolbarOnX11, TheShowHideMenuListsEachDisplayHoldingStrokes) {
    TwoMonitors monitors;
    ASSERT_TRUE(monitors.ok);
    RealToolbar t;
    ASSERT_TRUE(waitUntil([&] { return t.state().screenProvider().screens().size() == 2; }));
    const auto screens = t.state().screenProvider().screens();
    ASSERT_TRUE(t.showAndSettle());
    DrawingStroke left, right;
    left.displayID = screens[0].displayID;
    right.displayID = screens[1].displayID;
    t.state().strokes = {left, right};
    CanvasVisibilityControl* control = t.view()->canvasControl();
    ASSERT_TRUE(waitUntil([&] { return control->isMenu(); }));

    clickOn(RealToolbar::centreOf(control));
    ASSERT_TRUE(waitUntil([&] { return control->menu() && control->menu()->isVisible(); }, 3000));
    QMenu* menu = control->menu();
    QAction* rightEntry = menu->actions().value(3);
    ASSERT_TRUE(rightEntry);
    EXPECT_EQ(rightEntry->text(), screens[1].localizedName);
    // The menu opens below the toolbar, clear of it, lined up with the
    // control.
    const QRect bar = t.window()->widget()->frameGeometry();
    EXPECT_GE(menu->geometry().top(), bar.bottom() + 1);
    EXPECT_LE(menu->geometry().top(), bar.bottom() + 2);
    EXPECT_EQ(menu->geometry().left(), control->mapToGlobal(QPoint(0, 0)).x());
    clickOn(menu->mapToGlobal(menu->actionGeometry(rightEntry).center()));
    EXPECT_TRUE(waitUntil([&] { return t.state().hiddenDisplayIDs->count(screens[1].displayID) == 1; }, 3000));
    EXPECT_TRUE(t.state().isOverlayVisible) << "the left display's overlay is still shown";
}

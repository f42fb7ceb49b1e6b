// Screens and pointer as the X server reports them, in y-up screen space.
#include "platform/X11.h"
#include "platform/X11Mouse.h"
#include "platform/X11ScreenProvider.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

using namespace platform;
using testing_support::waitUntil;

TEST(X11ScreenProvider, ThePanelStrutShrinksTheVisibleFrame) {
    X11ScreenProvider provider;
    const auto screens = provider.screens();
    ASSERT_EQ(screens.size(), 1u);
    const Screen& s = screens.front();
    EXPECT_NE(s.displayID, 0u);
    EXPECT_EQ(s.frame, Rect(0, 0, 1920, 1080));
    // The tray panel reserves 24 px at the top; y grows upward.
    EXPECT_EQ(s.visibleFrame, Rect(0, 0, 1920, 1056));
    EXPECT_FALSE(s.localizedName.isEmpty());
    EXPECT_EQ(provider.primaryRootRect(), QRect(0, 0, 1920, 1080));
    ASSERT_TRUE(provider.mainScreen());
    EXPECT_EQ(provider.mainScreen()->displayID, s.displayID);
}

TEST(X11ScreenProvider, ANewPanelReportsAChangeAndShrinksItsEdge) {
    X11ScreenProvider provider;
    int changes = 0;
    auto sub = provider.screensChanged.connect([&] { ++changes; });

    QWidget panel;
    panel.setWindowFlags(Qt::FramelessWindowHint);
    panel.setGeometry(0, 100, 40, 600);
    panel.winId();
    const auto id = x11::windowId(panel.windowHandle());
    x11::setProperty32(id, x11::atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, {x11::atom("_NET_WM_WINDOW_TYPE_DOCK")});
    x11::setProperty32(id, x11::atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL,
                       {40, 0, 0, 0, 100, 699, 0, 0, 0, 0, 0, 0});
    panel.show();
    ASSERT_TRUE(waitUntil([&] { return changes > 0; }));
    EXPECT_EQ(provider.screens().front().visibleFrame, Rect(40, 0, 1880, 1056));
    panel.hide();
    ASSERT_TRUE(waitUntil([&] { return changes > 1; }));
    EXPECT_EQ(provider.screens().front().visibleFrame, Rect(0, 0, 1920, 1056));
}

TEST(X11Mouse, LocationIsYUpAndButtonsComeFromTheSameQuery) {
    X11Mouse mouse;
    testing_support::moveMouse(300, 200);
    EXPECT_EQ(mouse.location(), Point(300, 880));
    EXPECT_EQ(mouse.pressedButtons(), 0u);
    // The left button: a right press on the desktop opens the window
    // manager's menu, which would hold the pointer.
    testing_support::xdotool({"mousedown", "1"});
    EXPECT_TRUE(waitUntil([&] { return mouse.pressedButtons() == 1u; }));
    testing_support::xdotool({"mouseup", "1"});
    EXPECT_TRUE(waitUntil([&] { return mouse.pressedButtons() == 0u; }));
}

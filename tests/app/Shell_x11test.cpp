// The shell on a real X server: overlays that let clicks through or take
// them, the tray icon's clicks, and the names of the windows.
#include "app/RealShell.h"
#include "platform/X11.h"
#include "platform/X11Mouse.h"
#include "platform/X11ScreenProvider.h"
#include "support/TestStrokes.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "toolbar/SettingsWindowController.h"
#include "toolbar/ToolbarWindowController.h"

#include <QApplication>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

using namespace testing_support;

TEST(OverlayOnX11, ClicksPassThroughExceptOnStrokesWhereverThePointerCameFrom) {
    ExternalWindow recorder(OVERINK_CLICK_RECORDER, QRect(300, 300, 900, 600));
    ASSERT_TRUE(recorder.ready());
    RealShell shell;
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }));
    // The whole display but its bottom row (a screen-sized window with the
    // keyboard would be lifted above the toolbar), once on screen.
    EXPECT_TRUE(waitUntil([&] { return shell.overlay()->frame() == platform::Rect(0, 1, 1920, 1079); }));
    ASSERT_TRUE(waitUntil([&] { return shell.overlay()->keyboard().isKeyWindow(); }));
    // Whatever the window manager makes of the overlay taking the keyboard
    // is done by now.
    EXPECT_TRUE(settle());
    EXPECT_EQ(shell.overlay()->frame(), platform::Rect(0, 1, 1920, 1079)) << "not moved below the panel";
    // The server's stacking as it settles.
    const auto toolbarAboveOverlay = [&] {
        return stackedAbove(shell.delegate->toolbarController()->window()->xid(), shell.overlay()->xid());
    };
    EXPECT_TRUE(waitUntil(toolbarAboveOverlay, 2000)) << "the toolbar stays above the overlay that has the keyboard";
    shell.state().addStroke(penStroke({QPointF(500, 600), QPointF(900, 600)}, 11));

    const std::uint32_t overlay = shell.overlay()->xid();

    // Draw mode: the overlay takes the click, and the canvas leaves a dot.
    EXPECT_TRUE(pointerReaches(QPoint(400, 400), overlay));
    click();
    EXPECT_TRUE(waitUntil([&] { return shell.state().strokes->size() == 2; }));
    EXPECT_TRUE(recorder.sync());
    EXPECT_FALSE(recorder.hasPressNear(QPoint(400, 400)));
    shell.state().undo();
    // The panel strip along the top keeps its clicks (the rule refuses):
    // the input region leaves it out.
    const auto region = [&] { return shell.overlay()->shape().mouseRegion().value_or(QRegion(0, 0, 1920, 1079)); };
    EXPECT_TRUE(waitUntil([&] { return !region().contains(QPoint(1000, 10)) && region().contains(QPoint(1000, 30)); }));

    // Passthrough: beside the stroke the click reaches the other program.
    shell.state().selectedTool = std::nullopt;
    shell.state().isMoveMode = true;
    EXPECT_TRUE(pointerReaches(QPoint(420, 420), recorder.window()));
    click();
    EXPECT_TRUE(recorder.waitForPress(QPoint(420, 420)));
    // On the stroke the overlay takes the click, with its tolerance (13.5
    // for a width of 11): the region holds the stroke's band and no more.
    EXPECT_TRUE(waitUntil([&] { return region().contains(QPoint(700, 613)) && !region().contains(QPoint(700, 614)); }));
    recorder.clearPresses();
    EXPECT_TRUE(pointerReaches(QPoint(700, 600), overlay));
    click();
    EXPECT_TRUE(recorder.sync());
    EXPECT_FALSE(recorder.hasPressNear(QPoint(700, 600)));
    // And off it, the clicks go through again.
    EXPECT_TRUE(pointerReaches(QPoint(700, 700), recorder.window()));
    click();
    EXPECT_TRUE(recorder.waitForPress(QPoint(700, 700)));

    // The lock lets every click through, the stroke included.
    shell.state().captureAll = true;
    recorder.clearPresses();
    EXPECT_TRUE(pointerReaches(QPoint(700, 600), recorder.window()));
    click();
    EXPECT_TRUE(recorder.waitForPress(QPoint(700, 600)));
}

TEST(OverlayOnX11, TheTrayIconTogglesOverlaysAndItsRightClickTheSettingsPanelOnce) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "needs a tray host";
    RealShell shell;
    auto* item = shell.delegate->statusItem();
    ASSERT_TRUE(item);
    // The tray host places the icon after embedding it; wait until it rests.
    const auto last = waitUntilSteady([&]() -> std::optional<platform::Rect> {
        const auto f = item->buttonFrame();
        if (f && f->maxX() <= 1920) return f;
        return std::nullopt;
    });
    ASSERT_TRUE(last);
    const QPoint icon = platform::toGlobal(platform::Point{last->midX(), last->midY()}).toPoint();
    ASSERT_TRUE(waitUntil([] { return trayIconWindow() != 0; }));
    const std::uint32_t iconWindow = trayIconWindow();

    ASSERT_TRUE(pointerReaches(icon, iconWindow));
    click();
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }));
    EXPECT_TRUE(shell.delegate->toolbarController()->window()->isVisible());
    // Until then the window manager's frame of the overlay may take the
    // click over the tray (see waitUntilManaged).
    ASSERT_TRUE(waitUntilManaged(shell.overlay()->xid()));

    // The overlay covers the tray, yet the tray keeps its clicks.
    EXPECT_TRUE(pointerReaches(icon, iconWindow));
    click(3);
    ASSERT_TRUE(waitUntil([&] {
        auto* c = shell.delegate->settingsController();
        return c && c->window()->isVisible();
    }));
    auto* first = shell.delegate->settingsController();
    EXPECT_TRUE(settle());
    EXPECT_EQ(shell.delegate->settingsController(), first) << "one right click, one toggle";
    // Under the tray icon with the tray at the top; wherever the tray is,
    // beside the icon and inside the screen.
    const platform::Rect panel = first->window()->frame();
    if (qgetenv("OVERINK_X11_TRAY_EDGE") == "top") {
        EXPECT_LE(panel.maxY(), last->minY());
    }
    EXPECT_FALSE(panel.intersects(*last));
    EXPECT_TRUE(platform::Rect(0, 0, 1920, 1080).contains(panel));

    // A second right click so soon would be the second half of a double click.
    paceNewClick();
    EXPECT_TRUE(pointerReaches(icon, iconWindow));
    click(3);
    EXPECT_TRUE(waitUntil([&] { return !shell.delegate->settingsController(); }));

    EXPECT_TRUE(pointerReaches(icon, iconWindow));
    click();
    EXPECT_TRUE(waitUntil([&] { return shell.state().overlayControllers.empty(); }));
    EXPECT_FALSE(shell.delegate->toolbarController()->window()->isVisible());

    // In move mode too (after Esc, the overlays letting clicks through).
    paceNewClick();
    ASSERT_TRUE(pointerReaches(icon, iconWindow));
    click();
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }));
    ASSERT_TRUE(waitUntil([&] { return shell.overlay()->keyboard().isKeyWindow(); }));
    pressKey("Escape");
    ASSERT_TRUE(waitUntil([&] { return shell.state().isMoveMode.get() && !shell.state().selectedTool.get(); }));
    paceNewClick();
    EXPECT_TRUE(pointerReaches(icon, iconWindow));
    click();
    EXPECT_TRUE(waitUntil([&] { return shell.state().overlayControllers.empty(); })) << "in move mode";
    EXPECT_FALSE(shell.delegate->toolbarController()->window()->isVisible());
}

namespace {

// A string property of a window as the X server holds it; empty when unset.
QByteArray stringProperty(xcb_window_t window, xcb_atom_t property) {
    auto* c = platform::x11::connection();
    auto r = platform::x11::reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr));
    if (!r || r->format != 8) return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(r.get())),
                      xcb_get_property_value_length(r.get()));
}

} // namespace

TEST(OverlayOnX11, EveryWindowHasANameAndTheProgramsClass) {
    RealShell shell;
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }));
    const QByteArray wmClass = QByteArray("overink") + '\0' + "Overink" + '\0';
    const auto expectNamed = [&](xcb_window_t id, const QByteArray& name) {
        SCOPED_TRACE(name.constData());
        EXPECT_EQ(stringProperty(id, XCB_ATOM_WM_NAME), name);
        EXPECT_EQ(stringProperty(id, platform::x11::atom("_NET_WM_NAME")), name);
        EXPECT_EQ(stringProperty(id, XCB_ATOM_WM_CLASS), wmClass);
    };
    expectNamed(shell.overlay()->xid(), "Overink Overlay");
    expectNamed(shell.delegate->toolbarController()->window()->xid(), "Overink Toolbar");
    // Every other window of ours that exists has a name too.
    for (platform::Window* w : platform::Window::all()) {
        if (w->xid() == XCB_NONE) continue;
        EXPECT_FALSE(stringProperty(w->xid(), XCB_ATOM_WM_NAME).isEmpty());
        EXPECT_EQ(stringProperty(w->xid(), XCB_ATOM_WM_CLASS), wmClass);
    }
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        int named = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->inherits("QSystemTrayIconSys") || !w->internalWinId()) continue;
            expectNamed(static_cast<xcb_window_t>(w->internalWinId()), "Overink");
            ++named;
        }
        EXPECT_EQ(named, 1) << "the tray icon's window";
    }
}

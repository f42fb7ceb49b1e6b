// The shown toolbar on a real X server while the display changes under it:
// the screen shrinks (a RandR mode of its output) and a desktop panel comes
// up over it; each time the toolbar goes back to its dock position inside
// the display's new visible frame.
#include "app/RealShell.h"
#include "platform/X11.h"
#include "support/X11TestUtil.h"
#include "toolbar/DrawingToolbarView.h"

#include <QProcess>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;
using P = ToolbarDockPosition;

namespace {

bool xrandr(const QStringList& args) {
    QProcess p;
    p.start("xrandr", args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The screen's output in a 640 × 480 mode of its own while this lives, then
// back in its first mode.
struct SmallMode {
    SmallMode() {
        xrandr({"--newmode", "overink-640x480", "25", "640", "656", "752", "800", "480", "490", "492", "525"});
        ok = xrandr({"--addmode", "screen", "overink-640x480"}) &&
             xrandr({"--output", "screen", "--mode", "overink-640x480"});
    }
    void restore() {
        if (restored) return;
        restored = true;
        xrandr({"--output", "screen", "--mode", "1920x1080"});
    }
    ~SmallMode() { restore(); }
    bool ok = false;
    bool restored = false;
};

// A desktop panel along the bottom of the 1920 × 1080 screen, reserving
// its strut as docks do.
struct BottomDock {
    explicit BottomDock(int height) {
        widget.setWindowFlags(Qt::FramelessWindowHint);
        widget.setGeometry(0, 1080 - height, 1920, height);
        widget.winId();
        const auto id = platform::x11::windowId(widget.windowHandle());
        platform::x11::setProperty32(id, platform::x11::atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                                     {platform::x11::atom("_NET_WM_WINDOW_TYPE_DOCK")});
        platform::x11::setProperty32(id, platform::x11::atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL,
                                     {0, 0, 0, std::uint32_t(height), 0, 0, 0, 0, 0, 0, 0, 1919});
        widget.show();
    }
    QWidget widget;
};

platform::Window* toolbar(const RealShell& shell) { return shell.toolbarWindow(); }

// The toolbar is shown where its frame says, as the server has it, and that
// frame passes `test`.
template <typename Test>
bool toolbarSettles(const RealShell& shell, Test test) {
    return waitUntil([&] { return toolbar(shell)->isVisible() && test(toolbar(shell)->frame()); }) &&
           waitUntilPlaced(toolbar(shell)->xid(), [&] { return platform::toGlobal(toolbar(shell)->frame()).toRect(); });
}

std::string describe(const Rect& r) {
    return QStringLiteral("(%1, %2, %3 × %4)").arg(r.minX()).arg(r.minY()).arg(r.width()).arg(r.height()).toStdString();
}

} // namespace

TEST(ToolbarPlacementOnX11, AScreenThatShrankUnderTheToolbarGetsItBackAtItsDockPosition) {
    RealShell shell;
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(toolbarSettles(shell, [](const Rect& f) { return f.minX() > 400; }));
    const Rect wide = toolbar(shell)->frame();

    SmallMode small;
    ASSERT_TRUE(small.ok);
    ASSERT_TRUE(waitUntil([&] { return shell.state().screenProvider().mainScreen()->frame.width() == 640; }));
    const auto inside = [&](const Rect& f) {
        return shell.state().screenProvider().mainScreen()->visibleFrame.insetBy(8, 8).contains(f);
    };
    EXPECT_TRUE(toolbarSettles(shell, inside))
        << "the toolbar at " << describe(toolbar(shell)->frame()) << " was at " << describe(wide);
    // At the top centre, in two rows: every control on the screen.
    const platform::Screen screen = *shell.state().screenProvider().mainScreen();
    const Rect placed = toolbar(shell)->frame();
    EXPECT_EQ(placed.maxY(), screen.visibleFrame.maxY() - 8);
    EXPECT_NEAR(placed.midX(), 320, 0.5);
    EXPECT_EQ(shell.toolbarView()->lineStarts().size(), 2u);

    // Large again, the toolbar still lies inside: it stays where it is on
    // the screen (its frame, counted from the screen's bottom, changes).
    const QRect onScreen = serverGeometry(*toolbar(shell));
    small.restore();
    ASSERT_TRUE(waitUntil([&] { return shell.state().screenProvider().mainScreen()->frame.width() == 1920; }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(serverGeometry(*toolbar(shell)), onScreen);
    EXPECT_EQ(platform::toGlobal(toolbar(shell)->frame()).toRect(), onScreen);
}

TEST(ToolbarPlacementOnX11, ADesktopPanelComingUpOverTheToolbarSendsItToTheTopRow) {
    RealShell shell;
    shell.state().toolbarDockPosition = P::bottomCenterH;
    drainEvents();
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(toolbarSettles(shell, [](const Rect& f) { return f.minY() == 8; }));

    BottomDock dock(60);
    ASSERT_TRUE(waitUntil([&] { return shell.state().screenProvider().mainScreen()->visibleFrame.minY() == 60; }));
    const auto topRow = [&](const Rect& f) {
        return f.maxY() == shell.state().screenProvider().mainScreen()->visibleFrame.maxY() - 8;
    };
    EXPECT_TRUE(toolbarSettles(shell, topRow)) << "the toolbar at " << describe(toolbar(shell)->frame());
    EXPECT_TRUE(shell.state().isToolbarMovedToTopRow);
    EXPECT_EQ(shell.toolbarView()->direction(), PanelOpenDirection::below);
}

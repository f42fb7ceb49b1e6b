// The shown toolbar on a real X server while the display changes under it:
// the screen shrinks (a RandR mode of its output) and a desktop panel comes
// up over it; each time the toolbar goes back to its dock position inside
// the display's new visible frame.
#include "app/RealShell.h"
#include "platform/X11.h"
#include "support/DockWindow.h"
#include "support/X11TestUtil.h"
#include "toolbar/DrawingToolbarView.h"

#include <QProcess>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <cmath>

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

platform::Window* toolbar(const RealShell& shell) { return shell.toolbarWindow(); }

// The toolbar is shown where its frame says, as the server has it, and that
// frame passes `test`. The window manager may still be catching up with the
// screen's change (moving or resizing the toolbar where it last knew it, and
// the program asking it back): it has handled all of that first.
template <typename Test>
bool toolbarSettles(const RealShell& shell, Test test) {
    const auto passes = [&] { return toolbar(shell)->isVisible() && test(toolbar(shell)->frame()); };
    return waitUntil(passes) && settle() && waitUntil(passes) &&
           waitUntilPlaced(toolbar(shell)->xid(), [&] { return platform::toGlobal(toolbar(shell)->frame()).toRect(); });
}

// The session's desktop panel, if any, has followed the display onto its new
// size: its band is off the display's visible frame again. It moves on its
// own turn, after the display changed.
bool panelFollowed(const platform::Screen& screen) {
    const QByteArray edge = qgetenv("OVERINK_X11_TRAY_EDGE");
    const Rect f = screen.frame, v = screen.visibleFrame;
    if (edge == "top") return v.maxY() < f.maxY();
    if (edge == "bottom") return v.minY() > f.minY();
    if (edge == "left") return v.minX() > f.minX();
    if (edge == "right") return v.maxX() < f.maxX();
    return true;
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
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto main = shell.state().screenProvider().mainScreen();
            return main->frame.width() == 640 && panelFollowed(*main);
        },
        10000))
        << "the visible frame: " << describe(shell.state().screenProvider().mainScreen()->visibleFrame);
    // At the top centre, in two rows: every control on the screen.
    const auto atDock = [&](const Rect& f) {
        const Rect visible = shell.state().screenProvider().mainScreen()->visibleFrame;
        return visible.insetBy(8, 8).contains(f) && f.maxY() == visible.maxY() - 8 && std::abs(f.midX() - 320) <= 0.5;
    };
    EXPECT_TRUE(toolbarSettles(shell, atDock))
        << "the toolbar at " << describe(toolbar(shell)->frame()) << " was at " << describe(wide);
    EXPECT_EQ(shell.toolbarView()->lineStarts().size(), 2u);

    // Large again, the toolbar still lies inside: it stays where it is on
    // the screen (its frame, counted from the screen's bottom, changes).
    // The window manager may move it for a moment, as it catches up.
    const QRect onScreen = platform::toGlobal(toolbar(shell)->frame()).toRect();
    small.restore();
    ASSERT_TRUE(waitUntil([&] { return shell.state().screenProvider().mainScreen()->frame.width() == 1920; }));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(waitUntil([&] { return platform::toGlobal(toolbar(shell)->frame()).toRect() == onScreen; }) &&
                waitUntilPlaced(toolbar(shell)->xid(), onScreen))
        << "the toolbar at " << describe(toolbar(shell)->frame());
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

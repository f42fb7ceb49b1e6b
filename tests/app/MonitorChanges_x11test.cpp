// Overlays and the toolbar on a real X server while the monitor layout
// changes under them: RandR monitors split the screen in two and merge it
// again.
#include "app/RealShell.h"
#include "model/DrawingTool.h"
#include "platform/X11.h"
#include "support/TestStrokes.h"
#include "support/X11TestUtil.h"
#include "toolbar/DrawingToolbarView.h"
#include "ui/SymbolButton.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;

namespace {

bool xrandr(const QStringList& args) {
    QProcess p;
    p.start("xrandr", args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The left half keeps the screen's output (and so its display identifier);
// the right half is a monitor of its own.
struct SplitScreen {
    SplitScreen() {
        ok = xrandr({"--setmonitor", "L", "960/254x1080/286+0+0", "screen"}) &&
             xrandr({"--setmonitor", "R", "960/254x1080/286+960+0", "none"});
    }
    void merge() {
        if (merged) return;
        merged = true;
        xrandr({"--delmonitor", "R"});
        xrandr({"--delmonitor", "L"});
    }
    ~SplitScreen() { merge(); }
    bool ok = false;
    bool merged = false;
};

std::vector<OverlayWindow*> overlays(const RealShell& shell) {
    std::vector<OverlayWindow*> list;
    for (const auto& [id, c] : shell.state().overlayControllers)
        list.push_back(static_cast<OverlayWindowController*>(c.get())->window());
    return list;
}

// The overlays as the X server has them, left to right.
std::vector<QRect> overlayGeometries(const RealShell& shell) {
    std::vector<QRect> rects;
    for (OverlayWindow* w : overlays(shell))
        if (w->isVisible()) rects.push_back(serverGeometry(*w));
    std::sort(rects.begin(), rects.end(), [](QRect a, QRect b) { return a.x() < b.x(); });
    return rects;
}

// The same as text, for failure messages.
std::string shown(const RealShell& shell) {
    std::string out;
    for (QRect r : overlayGeometries(shell))
        out += QStringLiteral("%1x%2+%3+%4 ").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y()).toStdString();
    return out;
}

// A stroke dragged at a root point records.
bool drawsAt(RealShell& shell, int x, int y) {
    const std::size_t before = shell.state().strokes->size();
    const bool takesPen = waitUntil([&] {
        const auto& region = shell.overlay()->shape().mouseRegion();
        return !region || region->contains(QPoint(x, y));
    });
    // The window manager's frame takes the overlay's new input shape only
    // once it has handled the change: until then the press goes through.
    const bool reaches = pointerReaches(QPoint(x, y), shell.overlay()->xid());
    const QString from = QString::number(x), to = QString::number(x + 40);
    xdotool({"mousemove", from, QString::number(y), "mousedown", "1", "mousemove", to, QString::number(y + 40),
             "mouseup", "1"});
    return takesPen && reaches && waitUntil([&] { return shell.state().strokes->size() == before + 1; });
}

} // namespace

TEST(OverlayOnX11, ShownOverlaysFollowAMonitorSplitAndMerge) {
    RealShell shell;
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }));
    ASSERT_TRUE(waitUntil([&] { return overlayGeometries(shell) == std::vector<QRect>{QRect(0, 0, 1920, 1079)}; }));
    const auto firstID = shell.state().overlayControllers.begin()->first;

    SplitScreen split;
    ASSERT_TRUE(split.ok);
    // Two overlays side by side: the old one shrinks to its half instead of
    // covering the new one.
    EXPECT_TRUE(waitUntil([&] {
        return overlayGeometries(shell) == std::vector<QRect>{QRect(0, 0, 960, 1079), QRect(960, 0, 960, 1079)};
    })) << "overlays: "
        << overlayGeometries(shell).size();
    ASSERT_EQ(shell.state().overlayControllers.count(firstID), 1u);
    // The program hears of its window's new frame after the server has it.
    EXPECT_TRUE(waitUntil(
        [&] { return shell.state().overlayControllers.at(firstID)->windowFrame() == Rect(0, 1, 960, 1079); }));

    split.merge();
    // One overlay over the whole screen again.
    EXPECT_TRUE(waitUntil([&] { return overlayGeometries(shell) == std::vector<QRect>{QRect(0, 0, 1920, 1079)}; }))
        << "overlays: " << overlayGeometries(shell).size();
    ASSERT_EQ(shell.state().overlayControllers.size(), 1u);
    // All of it takes the pen, the part that was the right monitor's too.
    EXPECT_TRUE(drawsAt(shell, 1700, 600));
}

namespace {

// The output turned off and the user's monitors deleted: the server lists no
// monitor at all. Turned back on by the destructor.
struct NoMonitors {
    explicit NoMonitors(SplitScreen& split) {
        ok = xrandr({"--output", "screen", "--off", "--fb", "1920x1080"});
        split.merge();
    }
    ~NoMonitors() { xrandr({"--output", "screen", "--auto"}); }
    bool ok = false;
};

} // namespace

// With no monitor listed the whole screen is one display: one overlay over
// all of it that takes the pen everywhere, and follows the screen's size.
TEST(OverlayOnX11, WithNoMonitorListedOneOverlayCoversTheWholeScreen) {
    RealShell shell;
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }));
    SplitScreen split;
    ASSERT_TRUE(split.ok);
    ASSERT_TRUE(waitUntil([&] { return overlayGeometries(shell).size() == 2; }));

    NoMonitors none(split);
    ASSERT_TRUE(none.ok);
    EXPECT_TRUE(waitUntil([&] { return overlayGeometries(shell) == std::vector<QRect>{QRect(0, 0, 1920, 1079)}; }))
        << "overlays: " << shown(shell);
    ASSERT_EQ(shell.state().overlayControllers.size(), 1u);
    EXPECT_TRUE(drawsAt(shell, 300, 600)) << "left half";
    EXPECT_TRUE(drawsAt(shell, 1500, 600)) << "right half";

    // Smaller and back: the overlay takes each size.
    ASSERT_TRUE(xrandr({"--fb", "1280x720"}));
    EXPECT_TRUE(waitUntil([&] { return overlayGeometries(shell) == std::vector<QRect>{QRect(0, 0, 1280, 719)}; }))
        << "overlays: " << shown(shell);
    ASSERT_TRUE(xrandr({"--fb", "1920x1080"}));
    EXPECT_TRUE(waitUntil([&] { return overlayGeometries(shell) == std::vector<QRect>{QRect(0, 0, 1920, 1079)}; }))
        << "overlays: " << shown(shell);
    EXPECT_TRUE(drawsAt(shell, 1700, 900));
}

namespace {

// Where the X server has another program's window, in root coordinates.
QRect rootGeometry(std::uint32_t window) {
    auto* c = platform::x11::connection();
    auto g = platform::x11::reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    auto t = platform::x11::reply(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, platform::x11::root(), 0, 0), nullptr));
    if (!g || !t) return {};
    return QRect(t->dst_x, t->dst_y, g->width, g->height);
}

std::string describe(const Rect& r) {
    return QStringLiteral("(%1, %2, %3 × %4)").arg(r.minX()).arg(r.minY()).arg(r.width()).arg(r.height()).toStdString();
}

} // namespace

// Pinned to a window on the right monitor, the monitors merged, then
// unpinned, by the pin control and by the window closing: the toolbar goes
// back to its dock position on the one screen left, inside its visible
// frame, not where that position was on the vanished left monitor.
TEST(PinningOnX11, UnpinnedAfterTheMonitorsMergedTheToolbarDocksOnTheScreenLeft) {
    RealShell shell;
    for (bool byPinControl : {true, false}) {
        SCOPED_TRACE(byPinControl ? "unpinned by the pin control" : "unpinned by closing the window");
        SplitScreen split;
        ASSERT_TRUE(split.ok);
        ASSERT_TRUE(waitUntil([&] { return shell.state().screenProvider().screens().size() == 2; }));
        const platform::Screen left = shell.state().screenProvider().screens().front();
        if (!shell.toolbarWindow()->isVisible()) shell.delegate->toggleToolbar();
        else shell.delegate->showToolbar(left);
        ASSERT_TRUE(waitUntil([&] {
            const Rect f = shell.toolbarWindow()->frame();
            return shell.toolbarWindow()->isVisible() && left.visibleFrame.contains(f) &&
                   f.maxY() == left.visibleFrame.maxY() - 8;
        })) << "the toolbar at "
            << describe(shell.toolbarWindow()->frame());

        // A window on the right monitor, wherever there a window manager still
        // catching up with the split puts it.
        auto window = std::make_unique<ExternalWindow>(OVERINK_CLICK_RECORDER, QRect(1200, 300, 500, 400));
        ASSERT_NE(window->window(), 0u);
        QRect placed;
        ASSERT_TRUE(waitUntil([&] {
            placed = rootGeometry(window->window());
            return placed.width() == 500 && placed.left() >= 960 && placed.right() < 1920;
        })) << "the window at "
            << placed.x() << ", " << placed.y();
        shell.state().isPickingAttachWindow = true;
        drainEvents();
        ASSERT_TRUE(pointerReaches(placed.center(), window->window()));
        click();
        ASSERT_TRUE(waitUntil([&] { return shell.state().isAttachedToWindow.get(); }));

        split.merge();
        ASSERT_TRUE(waitUntil([&] { return shell.state().screenProvider().screens().size() == 1; }));
        ASSERT_TRUE(settle());
        ASSERT_TRUE(shell.state().isAttachedToWindow.get());
        if (byPinControl) {
            // The toolbar beside the window once it stops gliding after it
            // (the window manager may have moved the window).
            ASSERT_TRUE(waitUntilSteady([&]() -> std::optional<Rect> { return shell.toolbarWindow()->frame(); }));
            const QWidget* pin = shell.toolbarView()->pinButton();
            ASSERT_TRUE(pointerReaches(pin->mapToGlobal(pin->rect().center()), shell.toolbarWindow()->xid()));
            click();
        } else {
            window.reset();
        }
        ASSERT_TRUE(waitUntil([&] { return !shell.state().isAttachedToWindow.get(); }));

        const auto atDock = [&] {
            const Rect v = shell.state().screenProvider().mainScreen()->visibleFrame;
            const Rect f = shell.toolbarWindow()->frame();
            return v.contains(f) && f.maxY() == v.maxY() - 8 && std::abs(f.midX() - v.midX()) <= 0.5;
        };
        EXPECT_TRUE(waitUntil(atDock) && settle() && atDock())
            << "the toolbar at " << describe(shell.toolbarWindow()->frame()) << ", the visible frame "
            << describe(shell.state().screenProvider().mainScreen()->visibleFrame);
        EXPECT_TRUE(waitUntilPlaced(shell.toolbarWindow()->xid(),
                                    [&] { return platform::toGlobal(shell.toolbarWindow()->frame()).toRect(); }));
        moveMouse(300, 700);
        paceNewClick();
    }
}

// Pinned to another program's window, in draw mode and after Esc, on one
// monitor and then on the other: the click that picks the window reaches
// it; its top strip passes presses; a drag draws on it; after Esc a click on
// an empty part of it reaches it; moved to the other monitor, a drag there
// draws on it too.
TEST(PinningOnX11, APinnedWindowTakesItsClicksAndItsStrokesOnEitherMonitor) {
    RealShell shell;
    SplitScreen split;
    ASSERT_TRUE(split.ok);
    ASSERT_TRUE(waitUntil([&] { return shell.state().screenProvider().screens().size() == 2; }));
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(waitUntil([&] { return overlayGeometries(shell).size() == 2; }));
    ExternalWindow window(OVERINK_CLICK_RECORDER, QRect(200, 300, 500, 400));
    ASSERT_TRUE(window.ready());
    const auto at = [&] { return rootGeometry(window.window()); };

    shell.state().isPickingAttachWindow = true;
    drainEvents();
    ASSERT_TRUE(pointerReaches(at().center(), window.window()));
    click();
    ASSERT_TRUE(waitUntil([&] { return shell.state().isAttachedToWindow.get(); }));
    EXPECT_TRUE(window.waitForPress(at().center())) << "the picking click did not reach the window";

    for (const bool otherMonitor : {false, true}) {
        SCOPED_TRACE(otherMonitor ? "on the right monitor" : "on the left monitor");
        if (otherMonitor) {
            xdotool({"windowmove", QString::number(window.window()), "1200", "300"});
            ASSERT_TRUE(waitUntil([&] { return at().left() >= 960; }));
            // The overlay fitted to the window follows it.
            ASSERT_TRUE(waitUntil([&] {
                const auto rects = overlayGeometries(shell);
                return std::any_of(rects.begin(), rects.end(), [&](QRect r) { return at().contains(r); });
            })) << shown(shell);
        }
        // Draw mode: the pen is selected.
        shell.state().selectedTool = DrawingTool::pen;
        shell.state().isMoveMode = false;
        window.clearPresses();
        const QRect w = at();
        const QPoint strip(w.center().x(), w.top() + 10);
        ASSERT_TRUE(moveMouse(strip));
        click();
        EXPECT_TRUE(window.waitForPress(strip)) << "the top strip kept the press";
        paceNewClick();

        const std::size_t before = shell.state().strokes->size();
        const QPoint from(w.left() + 100, w.center().y());
        xdotool({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1", "mousemove",
                 QString::number(from.x() + 120), QString::number(from.y() + 30), "mouseup", "1"});
        EXPECT_TRUE(waitUntil([&] { return shell.state().strokes->size() == before + 1; })) << "no stroke drawn";
        ASSERT_TRUE(window.sync());
        EXPECT_FALSE(window.hasPressNear(from)) << "the drag reached the window";
        paceNewClick();

        // Esc: clicks pass through, except on strokes.
        pressKey("Escape");
        ASSERT_TRUE(waitUntil([&] { return !shell.state().selectedTool.get(); }));
        const QPoint empty(w.right() - 60, w.bottom() - 60);
        ASSERT_TRUE(pointerReaches(empty, window.window()));
        click();
        EXPECT_TRUE(window.waitForPress(empty)) << "a click on an empty part of the window was taken";
        paceNewClick();
    }
}

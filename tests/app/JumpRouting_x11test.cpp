// Clicks right after the pointer jumps (as a pen tablet or a touch screen
// moves it): the X server routes each click by the overlay's input region
// at that moment, with nothing of ours in between. xdotool jumps and clicks
// in one go while this process waits for it, so no event of ours can run
// between the jump and the click.
#include "app/RealShell.h"
#include "platform/StatusItem.h"
#include "platform/X11.h"
#include "support/TestStrokes.h"
#include "support/X11TestUtil.h"

#include <QLineF>
#include <QProcess>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// The tray icon's centre in root coordinates, once the tray has placed it.
std::optional<QPoint> trayIcon(RealShell& shell) {
    const auto spot = statusItemSpot(shell);
    if (!spot || !shell.delegate->statusItem()->isInTray()) return std::nullopt;
    return spot->centre;
}

// Runs xdotool while this process goes on with its own events, as the
// program does while a person draws.
bool xdotoolMeanwhile(const QStringList& args) {
    QProcess p;
    p.start("xdotool", args);
    return waitUntil([&] { return p.state() == QProcess::NotRunning; }, 10000) && p.exitCode() == 0;
}

// A quick stroke: a jump to its start, as a pen lands, and four steps.
QStringList quickStroke(QPoint start) {
    QStringList s{"mousemove", QString::number(start.x()), QString::number(start.y()), "mousedown", "1"};
    for (int k = 1; k <= 4; ++k)
        s << "mousemove" << QString::number(start.x() + 10 * k) << QString::number(start.y() + 15 * k);
    return s << "mouseup"
             << "1";
}

// Shows the overlays in passthrough mode with one stroke across the middle,
// and waits until the overlay takes the pointer on it.
void passthroughWithAStroke(RealShell& shell) {
    shell.state().selectedTool = std::nullopt;
    shell.state().isMoveMode = true;
    if (shell.state().strokes->empty()) shell.state().addStroke(penStroke({QPointF(500, 600), QPointF(900, 600)}, 11));
    ASSERT_TRUE(waitUntil([&] {
        auto* o = shell.overlay();
        return o && o->isVisible() && o->shape().mouseRegion() && o->shape().mouseRegion()->contains(QPoint(700, 600));
    }));
}

} // namespace

TEST(OverlayOnX11, ClicksRightAfterAJumpOffAStrokeReachAnotherProgram) {
    ExternalWindow recorder(OVERINK_CLICK_RECORDER, QRect(300, 300, 900, 600));
    ASSERT_TRUE(recorder.ready());
    RealShell shell;
    shell.delegate->toggleToolbar();
    passthroughWithAStroke(shell);
    // The window manager copies the overlay's input shape onto its frame
    // once it has handled the change: until then its frame takes the press.
    ASSERT_TRUE(pointerReaches(QPoint(350, 820), recorder.window()));
    int arrived = 0;
    for (int i = 0; i < 20; ++i) {
        moveMouse(600 + 10 * i, 600); // on the stroke: the overlay takes the pointer here
        const QPoint far(350 + 40 * i, 820 - 5 * i);
        xdotool({"mousemove", QString::number(far.x()), QString::number(far.y()), "click", "1"});
        if (recorder.waitForPress(far, 2000)) ++arrived;
    }
    EXPECT_EQ(arrived, 20);
    EXPECT_EQ(shell.state().strokes->size(), 1u) << "no click was taken as a drag of the stroke";
}

TEST(OverlayOnX11, AJumpOffAStrokeOntoTheTrayIconReachesTheIcon) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "needs a tray host";
    RealShell shell;
    const auto icon = trayIcon(shell);
    ASSERT_TRUE(icon);
    int toggled = 0;
    for (int i = 0; i < 20; ++i) {
        if (shell.state().overlayControllers.empty()) shell.delegate->toggleToolbar();
        passthroughWithAStroke(shell);
        // The overlay covers the tray, but not where the panel's strip is,
        // whatever the stacking of the two.
        EXPECT_FALSE(shell.overlay()->shape().mouseRegion()->contains(shell.overlay()->widget()->mapFromGlobal(*icon)));
        // And the server has the overlay's input shape so (see above).
        EXPECT_TRUE(pointerReaches(*icon, trayIconWindow()));
        moveMouse(600 + 10 * i, 600);
        xdotool({"mousemove", QString::number(icon->x()), QString::number(icon->y()), "click", "1"});
        // The icon's click hides the toolbar and the overlays.
        if (waitUntil([&] { return shell.state().overlayControllers.empty(); }, 2000)) ++toggled;
        // The next click on the icon is a click of its own, not the second
        // half of a double click.
        paceNewClick();
    }
    EXPECT_EQ(toggled, 20);
}

TEST(OverlayOnX11, TwentyQuickStrokesRightAfterTheTrayClickAreAllDrawn) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "needs a tray host";
    RealShell shell;
    const auto icon = trayIcon(shell);
    ASSERT_TRUE(icon);
    ASSERT_TRUE(shell.state().selectedTool.get()) << "the pen at first";
    // (A scripted move waits for the pointer to move: never to where it is.)
    moveMouse(960, 700);
    clickAt(icon->x(), icon->y());
    // Once it shows, with the keyboard, where it belongs (a window manager
    // may first place it below the panel, and again as it activates it), as
    // a person would wait for it.
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }));
    ASSERT_TRUE(waitUntilPlaced(shell.overlay()->xid(), QRect(0, 0, 1920, 1079)));
    ASSERT_TRUE(waitUntil([&] { return shell.overlay()->keyboard().isKeyWindow(); }));
    ASSERT_TRUE(settle());
    // Each stroke begins with a jump, as a pen lands, and goes at once; the
    // next follows as soon as this process has taken in the last. (Not
    // sooner: the X server may take the buttons of one xdotool run and the
    // warps of the next in any order, which no pointer does.)
    for (int i = 0; i < 20; ++i) {
        const int x = 200 + 70 * i, y = 300 + 25 * (i % 7);
        QStringList stroke{"mousemove", QString::number(x), QString::number(y), "mousedown", "1"};
        for (int k = 1; k <= 4; ++k)
            stroke << "mousemove" << QString::number(x + 10 * k) << QString::number(y + 15 * k);
        stroke << "mouseup"
               << "1";
        xdotool(stroke);
        EXPECT_TRUE(waitUntil([&] { return shell.state().strokes->size() == std::size_t(i + 1); })) << "stroke " << i;
    }
    QString lost;
    for (int i = 0; i < 20; ++i) {
        const QPointF start(200 + 70 * i, 300 + 25 * (i % 7));
        const bool drawn =
            std::any_of(shell.state().strokes->begin(), shell.state().strokes->end(), [&](const auto& s) {
                return !s.points.empty() && QLineF(s.points.front(), start).length() < 3;
            });
        if (!drawn) lost += QString::number(i) + " ";
    }
    EXPECT_TRUE(lost.isEmpty()) << "strokes not drawn: " << lost.toStdString();
}

TEST(OverlayOnX11, TheFirstStrokesTheOverlayTakesLandUnderThePointer) {
    RealShell shell;
    const auto item = statusItemSpot(shell);
    ASSERT_TRUE(item);
    ASSERT_TRUE(shell.state().selectedTool.get()) << "the pen at first";
    ASSERT_TRUE(pointerReaches(item->centre, item->window));
    click();
    // A person draws as soon as the overlay takes the pointer, whatever the
    // window manager still does about it (one may first put a window that
    // overlaps a panel into the space the panel leaves).
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->xid(); }));
    const QPoint first(300, 400);
    ASSERT_TRUE(pointerReaches(first, shell.overlay()->xid(), 10000));
    for (int i = 0; i < 8; ++i) {
        const QPoint start = i == 0 ? first : QPoint(300 + 150 * i, 400 + 40 * (i % 3));
        ASSERT_TRUE(xdotoolMeanwhile(quickStroke(start)));
        ASSERT_TRUE(waitUntil([&] { return shell.state().strokes->size() == std::size_t(i + 1); }, 3000))
            << "stroke " << i << " was lost";
        // The overlay covers the display from its top-left corner: canvas
        // points are root points.
        const QPointF drawn = shell.state().strokes->back().points.front();
        EXPECT_LT(QLineF(drawn, QPointF(start)).length(), 2) << "stroke " << i << " starts at " << drawn.x() << ", "
                                                             << drawn.y() << " for " << start.x() << ", " << start.y();
    }
}

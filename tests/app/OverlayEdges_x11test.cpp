// Where the overlay's pointer region ends, pixel by pixel, on a real X
// server: in draw mode a press anywhere in the display's visible frame
// draws, a press on the panel along its edge reaches the panel, and the
// display's bottom row, which the overlay window leaves out, goes to what
// lies beneath. Run with the tray's panel on each edge, with and without a
// compositing manager.
#include "app/RealShell.h"
#include "platform/Window.h"
#include "support/X11TestUtil.h"

#include <QLineF>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace testing_support;

namespace {

// The program with its toolbar and overlays shown in draw mode, the overlay
// where it belongs and whatever the window manager does about it done.
struct DrawingShell {
    DrawingShell() {
        shell.delegate->toggleToolbar();
        shown = waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }) &&
                waitUntilPlaced(shell.overlay()->xid(), QRect(0, 0, 1920, 1079)) &&
                waitUntil([&] { return shell.overlay()->keyboard().isKeyWindow(); }) && settle();
    }

    // The display's visible frame in root coordinates.
    QRect visibleFrame() const {
        const auto screens = shell.state().screenProvider().screens();
        return screens.empty() ? QRect() : platform::toGlobal(screens.front().visibleFrame).toRect();
    }

    // Whether a press at `p` would land on one of our windows above the
    // overlays or near the tray icon, which keep their presses.
    bool nearOurWindows(QPoint p) const {
        for (platform::Window* w : platform::Window::all()) {
            if (w->stacking().level() <= platform::WindowLevel::overlay || !w->isVisible()) continue;
            if (platform::toGlobal(w->frame()).toRect().adjusted(-20, -20, 20, 20).contains(p)) return true;
        }
        const auto icon = shell.delegate->statusItem() ? shell.delegate->statusItem()->buttonFrame() : std::nullopt;
        return icon && platform::toGlobal(*icon).toRect().adjusted(-40, -40, 40, 40).contains(p);
    }

    // Presses at `p`: true when the canvas drew a dot there. The dot is
    // undone again.
    bool draws(QPoint p) {
        const std::size_t before = shell.state().strokes->size();
        if (!moveMouse(p)) return false;
        click();
        const bool drawn = waitUntil([&] { return shell.state().strokes->size() == before + 1; }, 3000) &&
                           !shell.state().strokes->back().points.empty() &&
                           QLineF(shell.state().strokes->back().points.front(), QPointF(p)).length() < 1;
        if (shell.state().strokes->size() > before) shell.state().undo();
        paceNewClick();
        return drawn;
    }

    // Presses at `p`: true when the press went elsewhere (nothing drawn,
    // neither the overlay nor its input window under the pointer).
    bool passes(QPoint p) {
        const std::size_t before = shell.state().strokes->size();
        if (!moveMouse(p)) return false;
        const auto chain = windowsUnderPointer();
        const auto under = [&](std::uint32_t w) {
            return w && std::find(chain.begin(), chain.end(), w) != chain.end();
        };
        const bool overlayUnder = under(shell.overlay()->xid()) || under(shell.overlay()->shape().inputWindowId());
        click();
        const bool drawn = !settle() || shell.state().strokes->size() != before;
        if (shell.state().strokes->size() > before) shell.state().undo();
        paceNewClick();
        return !overlayUnder && !drawn;
    }

    RealShell shell;
    bool shown = false;
};

// A point along the visible frame's edge, away from our windows and the
// tray icon: the first of a few places along it.
std::optional<QPoint> awayFromOurWindows(const DrawingShell& s, const std::vector<QPoint>& candidates) {
    for (QPoint p : candidates)
        if (!s.nearOurWindows(p)) return p;
    return std::nullopt;
}

} // namespace

TEST(OverlayOnX11, InDrawModeEveryPixelOfTheVisibleFrameTakesAPressAndNoneBeyond) {
    DrawingShell s;
    ASSERT_TRUE(s.shown);
    ASSERT_TRUE(s.shell.state().selectedTool.get()) << "the pen at first";
    const QRect visible = s.visibleFrame();
    const QRect display(0, 0, 1920, 1080);
    ASSERT_TRUE(display.contains(visible)) << "the visible frame is on the display";
    // The overlay window leaves out the display's bottom row (tested on its
    // own below): the last row it takes is the one above.
    const int lastRow = std::min(visible.bottom(), display.bottom() - 1);
    const int midX = visible.center().x(), midY = visible.center().y();
    const auto along = [&](auto point) {
        std::vector<QPoint> c;
        for (int k : {-300, 200, -600, 500}) c.push_back(point(k));
        return c;
    };

    struct Probe {
        const char* what;
        QPoint at;
        bool inside;
    };
    std::vector<Probe> probes;
    const auto add = [&](const char* what, const std::vector<QPoint>& candidates, bool inside) {
        const auto p = awayFromOurWindows(s, candidates);
        ASSERT_TRUE(p) << what << ": no place away from our windows";
        probes.push_back({what, *p, inside});
    };
    add("the first row", along([&](int k) { return QPoint(midX + k, visible.top()); }), true);
    add("the last row", along([&](int k) { return QPoint(midX + k, lastRow); }), true);
    add("the first column", along([&](int k) { return QPoint(visible.left(), midY + k / 2); }), true);
    add("the last column", along([&](int k) { return QPoint(visible.right(), midY + k / 2); }), true);
    const QPoint topLeft = visible.topLeft(), topRight(visible.right(), visible.top());
    const QPoint bottomLeft(visible.left(), lastRow), bottomRight(visible.right(), lastRow);
    add("a corner", {topLeft, bottomRight, topRight, bottomLeft}, true);
    add("another corner", {topRight, bottomLeft, topLeft, bottomRight}, true);
    // The panel's row or column next to the visible frame, where there is
    // one.
    if (visible.top() > display.top())
        add("the row above", along([&](int k) { return QPoint(midX + k, visible.top() - 1); }), false);
    if (visible.bottom() < display.bottom())
        add("the row below", along([&](int k) { return QPoint(midX + k, visible.bottom() + 1); }), false);
    if (visible.left() > display.left())
        add("the column left of it", along([&](int k) { return QPoint(visible.left() - 1, midY + k / 2); }), false);
    if (visible.right() < display.right())
        add("the column right of it", along([&](int k) { return QPoint(visible.right() + 1, midY + k / 2); }), false);
    ASSERT_EQ(probes.size(), 7u) << "a panel along one edge";

    for (const Probe& p : probes) {
        SCOPED_TRACE(std::string(p.what) + " at " + std::to_string(p.at.x()) + ", " + std::to_string(p.at.y()));
        if (p.inside) EXPECT_TRUE(s.draws(p.at)) << "the press was not drawn there";
        else EXPECT_TRUE(s.passes(p.at)) << "the overlay took the press";
    }
}

TEST(OverlayOnX11, ThePressOnTheDisplaysBottomRowGoesToWhatLiesBeneath) {
    // Another program's window along the bottom of the display.
    ExternalWindow recorder(OVERINK_CLICK_RECORDER, QRect(100, 980, 700, 100));
    ASSERT_TRUE(recorder.ready());
    DrawingShell s;
    ASSERT_TRUE(s.shown);
    if (s.visibleFrame().bottom() != 1079) GTEST_SKIP() << "the bottom row is a panel's";
    const auto at = awayFromOurWindows(s, {QPoint(300, 1079), QPoint(600, 1079), QPoint(150, 1079)});
    ASSERT_TRUE(at);
    // The row above is the overlay's: the pen draws there.
    EXPECT_TRUE(s.draws(*at - QPoint(0, 1)));
    EXPECT_TRUE(recorder.sync());
    EXPECT_TRUE(recorder.presses().empty());
    // The bottom row is not: the press reaches the program beneath.
    EXPECT_TRUE(s.passes(*at));
    EXPECT_TRUE(recorder.waitForPress(*at));
}

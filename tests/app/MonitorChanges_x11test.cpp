// Overlays on a real X server while the monitor layout changes under them:
// RandR monitors split the screen in two and merge it again.
#include "app/RealShell.h"
#include "platform/X11.h"
#include "support/TestStrokes.h"

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

// Where the X server has the window, in root coordinates.
QRect serverGeometry(const platform::Window& w) {
    auto* c = platform::x11::connection();
    auto g = platform::x11::reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, w.xid()), nullptr));
    auto t = platform::x11::reply(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, w.xid(), platform::x11::root(), 0, 0), nullptr));
    if (!g || !t) return {};
    return QRect(t->dst_x, t->dst_y, g->width, g->height);
}

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
    })) << "overlays: " << overlayGeometries(shell).size();
    ASSERT_EQ(shell.state().overlayControllers.count(firstID), 1u);
    EXPECT_EQ(shell.state().overlayControllers.at(firstID)->windowFrame(), Rect(0, 1, 960, 1079));

    split.merge();
    // One overlay over the whole screen again.
    EXPECT_TRUE(waitUntil([&] { return overlayGeometries(shell) == std::vector<QRect>{QRect(0, 0, 1920, 1079)}; }))
        << "overlays: " << overlayGeometries(shell).size();
    ASSERT_EQ(shell.state().overlayControllers.size(), 1u);
}

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
    // All of it takes the pen, the part that was the right monitor's too.
    const std::size_t before = shell.state().strokes->size();
    EXPECT_TRUE(waitUntil([&] {
        const auto& region = shell.overlay()->mouseRegion();
        return !region || region->contains(QPoint(1700, 600));
    }));
    xdotool({"mousemove", "1700", "600", "mousedown", "1", "mousemove", "1740", "640", "mouseup", "1"});
    EXPECT_TRUE(waitUntil([&] { return shell.state().strokes->size() == before + 1; }));
}

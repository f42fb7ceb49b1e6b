// Open panels on a real X server while their display changes under them: a
// desktop panel comes up along the bottom, the screen shrinks and grows
// (RandR). Each panel is placed again beside its control, inside the new
// visible frame, but never from under the pointer.
#include "RealToolbar.h"
#include "colorpicker/ColorPickerWindowController.h"
#include "model/DrawingState.h"
#include "platform/StatusItem.h"
#include "support/DockWindow.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "toolbar/GIMPBrushPanelWindowController.h"
#include "toolbar/SettingsWindowController.h"

#include <QProcess>
#include <QSystemTrayIcon>

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

// The screen's output in a `width` × `height` mode of its own while this
// lives (or until restore()), then back in its first mode.
struct ScreenSize {
    ScreenSize(int width, int height) {
        const QString name = QStringLiteral("overink-%1x%2").arg(width).arg(height);
        const auto n = [](int v) { return QString::number(v); };
        xrandr({"--newmode", name, "25", n(width), n(width + 16), n(width + 112), n(width + 160), n(height),
                n(height + 10), n(height + 12), n(height + 45)});
        ok = xrandr({"--addmode", "screen", name}) && xrandr({"--output", "screen", "--mode", name});
    }
    void restore() {
        if (restored) return;
        restored = true;
        xrandr({"--output", "screen", "--mode", "1920x1080"});
    }
    ~ScreenSize() { restore(); }
    bool ok = false;
    bool restored = false;
};

std::string describe(const Rect& r) {
    return QStringLiteral("(%1, %2, %3 × %4)").arg(r.minX()).arg(r.minY()).arg(r.width()).arg(r.height()).toStdString();
}

struct Displays : RealToolbar {
    explicit Displays(bool withTrayIcon = false) : RealToolbar(withTrayIcon) {}

    platform::Screen main() const { return *state().screenProvider().mainScreen(); }
    Rect visible() const { return main().visibleFrame; }

    // The screen is `width` wide and the session's tray, if any, has followed
    // it: its band is off the visible frame again.
    bool screenIs(double width) const {
        const platform::Screen s = main();
        if (s.frame.width() != width) return false;
        const QByteArray edge = qgetenv("OVERINK_X11_TRAY_EDGE");
        if (edge == "top") return s.visibleFrame.maxY() < s.frame.maxY();
        if (edge == "bottom") return s.visibleFrame.minY() > s.frame.minY();
        return true;
    }

    // The panel lies inside the visible frame beside `anchor`: on the
    // toolbar's edge (or, too tall for the room there, moved over the
    // toolbar), across the control's middle. The server has it there.
    ::testing::AssertionResult besideItsControl(const ui::AnchoredPanelController& panel, const AnchorRef& anchor,
                                                PanelOpenDirection direction) const {
        const Rect f = panel.window()->frame();
        const Rect bar = window()->frame();
        const Rect v = visible();
        const auto control = anchor.frameOnScreen();
        const bool onTheEdge = direction == PanelOpenDirection::below ? f.maxY() == bar.minY() : f.minY() == bar.maxY();
        if (v.contains(f) && control && f.minX() <= control->midX() && control->midX() <= f.maxX() &&
            (onTheEdge || panel.isDisplaced()) && panelUp(&panel))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "the panel at " << describe(f) << ", the toolbar at " << describe(bar) << ", the control at "
               << (control ? describe(*control) : std::string("none")) << ", the visible frame " << describe(v);
    }
};

// The pointer well away from the toolbar and its panels, on every screen
// size of these tests.
void pointerAway() { moveMouse(30, 400); }

} // namespace

// A desktop panel coming up along the bottom sends the bottom toolbar to the
// top row; its open colour picker stays while the pointer rests in it, then
// goes along, hanging under the toolbar as if it had opened there.
TEST(DisplayChangesOnX11, ADockComingUpTakesTheColourPickerAlongWithTheToolbarOnceThePointerLeaves) {
    Displays t;
    t.state().toolbarDockPosition = P::bottomCenterH;
    drainEvents();
    ASSERT_TRUE(t.showAndSettle());
    DrawingToolbarView& v = *t.view();
    v.toggleColorPicker();
    ASSERT_TRUE(waitUntil([&] { return panelUp(v.panels().colorPicker()); }));
    ColorPickerWindowController& colors = *v.panels().colorPicker();
    ASSERT_TRUE(t.besideItsControl(colors, *v.swatchRef, PanelOpenDirection::above));
    const Rect opened = colors.window()->requestedFrame();
    // The pointer rests on the picker's top edge, clear of its controls.
    moveMouse(platform::toGlobal(platform::Point(opened.midX(), opened.maxY() - 3)).toPoint());
    ASSERT_TRUE(waitUntil([&] { return colors.window()->widget()->underMouse(); }));

    BottomDock dock(60);
    ASSERT_TRUE(waitUntil([&] { return t.visible().minY() == 60; }));
    ASSERT_TRUE(waitUntil([&] { return t.state().isToolbarMovedToTopRow.get(); }));
    EXPECT_TRUE(waitUntil([&] { return colors.placesAgainOncePointerLeaves(); }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(colors.window()->requestedFrame(), opened) << "it moved under the pointer";

    pointerAway();
    EXPECT_TRUE(waitUntil([&] { return t.besideItsControl(colors, *v.swatchRef, PanelOpenDirection::below); }))
        << t.besideItsControl(colors, *v.swatchRef, PanelOpenDirection::below).message();
    EXPECT_EQ(colors.direction(), PanelOpenDirection::below);
    EXPECT_FALSE(colors.placesAgainOncePointerLeaves());
}

// The screen shrinks under the open brush panel: the toolbar goes to its
// dock position on the smaller screen, and the panel with it, on the screen;
// the screen grows again: the panel that had to stand over the toolbar goes
// back under it.
TEST(DisplayChangesOnX11, TheBrushPanelFollowsItsControlOntoAScreenThatShrinksAndBackAsItGrows) {
    Displays t;
    pointerAway();
    ASSERT_TRUE(t.showAndSettle());
    DrawingToolbarView& v = *t.view();
    v.openGIMPBrushPanel();
    ASSERT_TRUE(waitUntil([&] { return panelUp(v.panels().gimpBrushPanel()); }));
    GIMPBrushPanelWindowController& brushes = *v.panels().gimpBrushPanel();
    ASSERT_TRUE(t.besideItsControl(brushes, *v.gimpBrushRef, PanelOpenDirection::below));
    ASSERT_FALSE(brushes.isDisplaced());

    ScreenSize small(640, 480);
    ASSERT_TRUE(small.ok);
    ASSERT_TRUE(waitUntil([&] { return t.screenIs(640); }, 20000))
        << "the screen " << describe(t.main().frame) << ", its visible frame " << describe(t.visible());
    EXPECT_TRUE(waitUntil([&] { return t.besideItsControl(brushes, *v.gimpBrushRef, PanelOpenDirection::below); }))
        << t.besideItsControl(brushes, *v.gimpBrushRef, PanelOpenDirection::below).message();
    EXPECT_TRUE(brushes.isDisplaced()) << "there is room for it under the toolbar";
    EXPECT_LE(brushes.window()->frame().height(), t.visible().height());

    small.restore();
    ASSERT_TRUE(waitUntil([&] { return t.screenIs(1920); }, 20000))
        << "the screen " << describe(t.main().frame) << ", its visible frame " << describe(t.visible());
    EXPECT_TRUE(waitUntil([&] {
        return !brushes.isDisplaced() && t.besideItsControl(brushes, *v.gimpBrushRef, PanelOpenDirection::below);
    })) << t.besideItsControl(brushes, *v.gimpBrushRef, PanelOpenDirection::below).message();
    EXPECT_EQ(brushes.window()->frame().height(), brushes.contentHeight());
}

// The screen shrinks under the settings panel: it drops down from the tray
// icon again, inside the smaller screen.
TEST(DisplayChangesOnX11, TheSettingsPanelStaysUnderTheTrayIconOnAScreenThatShrinks) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "needs a tray host";
    Displays t(/*withTrayIcon=*/true);
    pointerAway();
    platform::StatusItem& item = *t.delegate->statusItem();
    ASSERT_TRUE(waitUntilSteady([&] { return item.buttonFrame(); }));
    t.delegate->toggleSettingsPanel();
    ASSERT_TRUE(waitUntil([&] { return panelUp(t.delegate->settingsController()); }));
    SettingsWindowController& settings = *t.delegate->settingsController();

    ScreenSize small(1280, 720);
    ASSERT_TRUE(small.ok);
    ASSERT_TRUE(waitUntil([&] { return t.screenIs(1280); }, 20000))
        << "the screen " << describe(t.main().frame) << ", its visible frame " << describe(t.visible());
    // Where it would open now, under the icon where the tray has it now.
    const auto underTheIcon = [&] {
        const auto icon = item.buttonFrame();
        if (!icon) return false;
        const Rect f = settings.window()->frame();
        const auto screens = t.state().screenProvider().screens();
        return f.origin == SettingsWindowController::originUnderStatusItem(*icon, f.height(), screens) &&
               t.visible().contains(f) && panelUp(&settings);
    };
    EXPECT_TRUE(waitUntil(underTheIcon, 10000))
        << "the panel at " << describe(settings.window()->frame()) << ", the icon at "
        << (item.buttonFrame() ? describe(*item.buttonFrame()) : std::string("none")) << ", the visible frame "
        << describe(t.visible());
    EXPECT_TRUE(settings.window()->isVisible());
}

// Panels taller than a small display, on a real X server with the real
// pointer and wheel: the brush panel with its parametric editor, the colour
// picker with eight saved harmonies, the font picker with twelve favourites,
// the settings panel with its smoothing section open, and help. Each lies
// inside the display's visible frame, and its last control is scrolled into
// view with the wheel and clicked. The sessions this runs in set the screen's
// size and the tray's edge (tests.cmake).
#include "RealToolbar.h"
#include "colorpicker/ColorPickerPanel.h"
#include "colorpicker/ColorPickerRoot.h"
#include "colorpicker/ColorPickerWindowController.h"
#include "colorpicker/SavedHarmonyRow.h"
#include "model/DrawingState.h"
#include "panels/HelpView.h"
#include "panels/InfoPanels.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "toolbar/FontFavoriteRow.h"
#include "toolbar/FontPickerPanel.h"
#include "toolbar/FontPickerRoot.h"
#include "toolbar/FontPickerWindowController.h"
#include "toolbar/GIMPBrushPanelRoot.h"
#include "toolbar/GIMPBrushPanelWindowController.h"
#include "toolbar/SettingsControls.h"
#include "toolbar/SettingsPanelRoot.h"
#include "toolbar/SettingsWindowController.h"
#include "toolbar/VBRParamsEditor.h"
#include "ui/BorderlessButton.h"
#include "ui/PanelScroller.h"
#include "ui/PanelSlider.h"
#include "ui/ScrollIndicator.h"
#include "ui/SymbolButton.h"

#include <QAbstractButton>
#include <QLabel>
#include <QScrollArea>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include <cmath>

using namespace testing_support;
using platform::Rect;
using P = ToolbarDockPosition;
using Parameter = VBRParamsEditorModel::Parameter;

namespace {

// Whether all of `w` shows: no view it stands in (a scrolling one) cuts any
// of it off.
bool wholeInView(const QWidget* w) {
    if (!w || !w->isVisible()) return false;
    const QWidget* top = w->window();
    const QRect r(w->mapTo(top, QPoint()), w->size());
    for (const QWidget* p = w->parentWidget(); p && p != top; p = p->parentWidget())
        if (!QRect(p->mapTo(top, QPoint()), p->size()).contains(r)) return false;
    return true;
}

// Turns the wheel over `at`, a notch at a time, until all of `target` shows.
bool wheelUntilShown(const QWidget* target, QPoint at) {
    moveMouse(at);
    for (int notch = 0; notch < 80 && !wholeInView(target); ++notch) {
        const QPoint before = target->mapTo(target->window(), QPoint());
        xdotool({"click", "5"});
        // At the end of the range nothing moves any more.
        if (!waitUntil([&] { return target->mapTo(target->window(), QPoint()) != before || wholeInView(target); },
                       3000))
            break;
    }
    return wholeInView(target);
}

// Over the panel's scroll indicator, which scrolls it whatever lies under
// the pointer elsewhere: its longest stretch, where the bar of a list in
// the panel leaves it.
QPoint onIndicator(const ui::PanelController& panel) {
    const ui::ScrollIndicator* indicator = panel.scroller()->indicator();
    QRect longest = indicator->rect();
    if (!indicator->mask().isEmpty()) {
        longest = QRect();
        for (const QRect& r : indicator->mask())
            if (r.height() > longest.height()) longest = r;
    }
    return indicator->mapToGlobal(longest.center());
}

struct TallPanels : RealToolbar {
    TallPanels() : RealToolbar(/*withTrayIcon=*/true) {}

    Rect visible() const { return state().screenProvider().mainScreen()->visibleFrame; }
    // Up, where the server has it, and inside the visible frame.
    ::testing::AssertionResult insideTheVisibleFrame(const ui::PanelController* panel) const {
        if (!panelUp(panel)) return ::testing::AssertionFailure() << "the panel is not up";
        const Rect f = panel->window()->frame();
        const Rect v = visible();
        if (v.contains(f)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the panel (" << f.minX() << ", " << f.minY() << ", " << f.width()
                                             << " × " << f.height() << ") leaves the visible frame (" << v.minX()
                                             << ", " << v.minY() << ", " << v.width() << " × " << v.height() << ")";
    }
    // A panel that scrolls shows its indicator; it goes down to `last`.
    bool scrolledTo(const ui::PanelController& panel, const QWidget* last) const {
        if (wholeInView(last)) return true;
        return panel.scroller()->scrolls() && wheelUntilShown(last, onIndicator(panel));
    }
};

SavedHarmony harmony(int i) {
    return SavedHarmony{
        QUuid::createUuid(), QStringLiteral("Harmony %1").arg(i), HarmonyType::triadic, i / 8.0, 0.8, 0.9};
}

} // namespace

TEST(TallPanelsOnX11, EveryPanelLiesInsideTheDisplayAndItsLastControlIsReachable) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "needs a tray host";
    TallPanels t;
    const QString trayEdge = qEnvironmentVariable("OVERINK_X11_TRAY_EDGE");
    // Away from the tray: the panels open towards it, above a bottom toolbar
    // or below a top one.
    t.state().toolbarDockPosition = trayEdge == "bottom" ? P::topCenterH : P::bottomCenterH;
    drainEvents();
    ASSERT_TRUE(t.showAndSettle());
    DrawingToolbarView& v = *t.view();

    // ---- The brush panel with the parametric editor ----
    ASSERT_TRUE(waitUntil([&] { return t.state().importedGIMPBrushes->size() >= 10; }, 10000));
    const ImportedGIMPBrush brush = t.state().importedGIMPBrushes->front();
    ASSERT_TRUE(brush.vbr);
    t.state().activeGIMPBrushID = brush.id;
    t.state().selectedTool = DrawingTool::gimpBrush;
    drainEvents();
    v.openGIMPBrushPanel();
    ASSERT_TRUE(waitUntil([&] { return panelUp(v.panels().gimpBrushPanel()); }));
    GIMPBrushPanelWindowController& brushes = *v.panels().gimpBrushPanel();
    PanelSlider* angle = brushes.root()->editor()->slider(Parameter::angle);
    ASSERT_TRUE(angle);
    EXPECT_TRUE(t.insideTheVisibleFrame(&brushes));
    ASSERT_TRUE(t.scrolledTo(brushes, angle)) << "the Angle slider cannot be reached";
    clickOn(angle->mapToGlobal(angle->knobCentre(135).toPoint()));
    EXPECT_TRUE(waitUntil([&] {
        for (const auto& b : t.state().importedGIMPBrushes.get())
            if (b.id == brush.id && b.vbr) return std::abs(b.vbr->angle - 135) <= 2;
        return false;
    })) << "the Angle slider took no click";
    EXPECT_TRUE(t.insideTheVisibleFrame(&brushes));
    v.panels().drop(ToolbarPanel::gimpBrushPanel);
    drainEvents();

    // ---- The colour picker with eight saved harmonies ----
    std::vector<SavedHarmony> eight;
    for (int i = 0; i < 8; ++i) eight.push_back(harmony(i));
    t.state().savedHarmonies = eight;
    paceNewClick();
    v.toggleColorPicker();
    ASSERT_TRUE(waitUntil([&] { return panelUp(v.panels().colorPicker()); }));
    ColorPickerWindowController& colors = *v.panels().colorPicker();
    ASSERT_EQ(colors.panel()->harmonyRows().size(), 8u);
    SymbolButton* lastDelete = colors.panel()->harmonyRows().back()->deleteButton();
    EXPECT_TRUE(t.insideTheVisibleFrame(&colors));
    ASSERT_TRUE(t.scrolledTo(colors, lastDelete)) << "the last harmony cannot be reached";
    clickOn(RealToolbar::centreOf(lastDelete));
    EXPECT_TRUE(waitUntil([&] { return t.state().savedHarmonies->size() == 7; }))
        << "the last harmony's delete control took no click";
    EXPECT_EQ(t.state().savedHarmonies->back().id, eight[6].id);
    EXPECT_TRUE(t.insideTheVisibleFrame(&colors));
    v.panels().drop(ToolbarPanel::colorPicker);
    drainEvents();

    // ---- The font picker with twelve favourites ----
    std::vector<FontPreset> twelve;
    for (int i = 0; i < 12; ++i)
        twelve.push_back(FontPreset{QUuid::createUuid(), QStringLiteral("Face %1").arg(i), 10.0 + i});
    t.state().fontPresets = twelve;
    v.openFontPicker();
    ASSERT_TRUE(waitUntil([&] { return panelUp(v.panels().fontPicker()); }));
    FontPickerWindowController& fonts = *v.panels().fontPicker();
    ASSERT_EQ(fonts.root()->panel()->favoriteRows().size(), 12u);
    BorderlessButton* lastApply = fonts.root()->panel()->favoriteRows().back()->applyButton();
    EXPECT_TRUE(t.insideTheVisibleFrame(&fonts));
    ASSERT_TRUE(t.scrolledTo(fonts, lastApply)) << "the last favourite cannot be reached";
    paceNewClick();
    clickOn(RealToolbar::centreOf(lastApply));
    EXPECT_TRUE(waitUntil([&] { return t.state().textFontName.get() == "Face 11"; }))
        << "the last favourite's Apply took no click";
    EXPECT_EQ(t.state().textFontSize.get(), 21);
    EXPECT_TRUE(t.insideTheVisibleFrame(&fonts));
    v.panels().drop(ToolbarPanel::fontPicker);
    drainEvents();

    // ---- Settings with the smoothing section open ----
    // The tray host places the icon after embedding it; wait until it rests.
    ASSERT_TRUE(waitUntilSteady([&]() -> std::optional<Rect> { return t.delegate->statusItem()->buttonFrame(); }));
    t.delegate->toggleSettingsPanel();
    ASSERT_TRUE(waitUntil([&] { return panelUp(t.delegate->settingsController()); }));
    SettingsWindowController& settings = *t.delegate->settingsController();
    const double collapsed = settings.contentHeight();
    paceNewClick();
    clickOn(RealToolbar::centreOf(settings.root()->smoothingHeader()));
    ASSERT_TRUE(waitUntil([&] {
        return settings.root()->smoothingHeader()->chevronAngle() == 90 && settings.contentHeight() > collapsed + 80 &&
               settings.window()->frame().height() == std::min(settings.contentHeight(), t.visible().height());
    }));
    EXPECT_TRUE(t.insideTheVisibleFrame(&settings));
    SymbolButton* help = settings.root()->helpButton();
    ASSERT_TRUE(t.scrolledTo(settings, help)) << "the footer cannot be reached";
    paceNewClick();
    clickOn(RealToolbar::centreOf(help));

    // ---- Help, opened from the settings footer ----
    ASSERT_TRUE(waitUntil([&] {
        const InfoPanelWindowController* c = t.delegate->infoPanels()->helpController();
        return c && panelUp(c);
    })) << "the footer's Help took no click";
    EXPECT_TRUE(waitUntil([&] { return !settings.window()->isVisible(); }));
    InfoPanelWindowController& helpPanel = *t.delegate->infoPanels()->helpController();
    EXPECT_TRUE(t.insideTheVisibleFrame(&helpPanel));
    auto* view = static_cast<HelpView*>(helpPanel.content());
    // The body scrolls to its last line; the footer shows whole.
    QScrollArea* body = view->body();
    const QWidget* lastLine = view->bulletLabels().back();
    ASSERT_TRUE(wheelUntilShown(lastLine, body->mapToGlobal(body->rect().center())))
        << "help's last line cannot be reached";
    ASSERT_TRUE(t.scrolledTo(helpPanel, view->footerCloseButton())) << "help's footer cannot be reached";
    paceNewClick();
    clickOn(RealToolbar::centreOf(view->footerCloseButton()));
    EXPECT_TRUE(waitUntil([&] { return !helpPanel.window()->isVisible(); })) << "help's Close took no click";
}

// Where the colour picker with eight saved harmonies does not fit beside
// the toolbar (1024 × 600), it stands over the toolbar; deleting harmonies
// with the pointer until it fits leaves it there while the pointer is in
// it, and it goes back against the toolbar once the pointer leaves.
TEST(TallPanelsOnX11, AColourPickerThatFitsAgainGoesBackAgainstTheToolbarOnceThePointerLeaves) {
    TallPanels t;
    const bool toolbarAtTop = qEnvironmentVariable("OVERINK_X11_TRAY_EDGE") == "bottom";
    t.state().toolbarDockPosition = toolbarAtTop ? P::topCenterH : P::bottomCenterH;
    drainEvents();
    ASSERT_TRUE(t.showAndSettle());
    DrawingToolbarView& v = *t.view();
    std::vector<SavedHarmony> eight;
    for (int i = 0; i < 8; ++i) eight.push_back(harmony(i));
    t.state().savedHarmonies = eight;
    v.toggleColorPicker();
    ASSERT_TRUE(waitUntil([&] { return panelUp(v.panels().colorPicker()); }));
    ColorPickerWindowController& colors = *v.panels().colorPicker();
    const Rect bar = t.window()->frame();
    const auto againstTheToolbar = [&] {
        const Rect f = colors.window()->frame();
        return toolbarAtTop ? f.maxY() == bar.minY() : f.minY() == bar.maxY();
    };
    ASSERT_TRUE(colors.isDisplaced()) << "the display is too small for it beside the toolbar";
    ASSERT_FALSE(againstTheToolbar());

    // The first harmony's delete control, one click after the other, the
    // pointer staying in the panel.
    const double room = toolbarAtTop ? bar.minY() - t.visible().minY() : t.visible().maxY() - bar.maxY();
    while (colors.contentHeight() > room) {
        const std::size_t count = t.state().savedHarmonies->size();
        ASSERT_GT(count, 0u);
        SymbolButton* remove = colors.panel()->harmonyRows().front()->deleteButton();
        ASSERT_TRUE(t.scrolledTo(colors, remove));
        paceNewClick();
        clickOn(RealToolbar::centreOf(remove));
        ASSERT_TRUE(waitUntil([&] { return t.state().savedHarmonies->size() == count - 1; }));
        ASSERT_TRUE(waitUntil([&] { return colors.panel()->harmonyRows().size() == count - 1; }));
        ASSERT_TRUE(waitUntil([&] {
            return colors.window()->frame().height() == std::min(colors.contentHeight(), t.visible().height());
        }));
    }
    ASSERT_TRUE(waitUntil([&] { return colors.returnsOncePointerLeaves(); }));
    ASSERT_TRUE(settle());
    EXPECT_FALSE(againstTheToolbar()) << "it did not move under the pointer";
    EXPECT_TRUE(colors.window()->isVisible());

    // The pointer goes to the other side of the screen.
    const Rect f = colors.window()->frame();
    const platform::Point away(f.midX() < t.visible().midX() ? t.visible().maxX() - 20 : t.visible().minX() + 20,
                               t.visible().midY());
    moveMouse(platform::toGlobal(away).toPoint());
    EXPECT_TRUE(waitUntil(againstTheToolbar)) << "still at y " << colors.window()->frame().minY();
    EXPECT_FALSE(colors.isDisplaced());
    EXPECT_TRUE(t.insideTheVisibleFrame(&colors));
}

// The same picker under a top toolbar, scrolled to its end: deleting the
// last harmony, the pointer resting on its control, shrinks the picker from
// under the pointer, which has not moved and so is still in it: the picker
// stays where it is until the pointer moves away.
TEST(TallPanelsOnX11, AColourPickerThatShrinksFromUnderTheStillPointerWaitsForItToMove) {
    TallPanels t;
    t.state().toolbarDockPosition = P::topCenterH;
    drainEvents();
    ASSERT_TRUE(t.showAndSettle());
    DrawingToolbarView& v = *t.view();
    std::vector<SavedHarmony> eight;
    for (int i = 0; i < 8; ++i) eight.push_back(harmony(i));
    t.state().savedHarmonies = eight;
    v.toggleColorPicker();
    ASSERT_TRUE(waitUntil([&] { return panelUp(v.panels().colorPicker()); }));
    ColorPickerWindowController& colors = *v.panels().colorPicker();
    ASSERT_TRUE(colors.isDisplaced()) << "the display is too small for it under the toolbar";
    const Rect bar = t.window()->frame();
    const auto underTheToolbar = [&] { return colors.window()->frame().maxY() == bar.minY(); };

    // The last harmony's delete control, one click after the other, until a
    // delete leaves the pointer below the picker's new bottom edge.
    bool leftBehind = false;
    Rect before;
    while (!leftBehind) {
        const std::size_t count = t.state().savedHarmonies->size();
        ASSERT_GT(count, 1u) << "the picker never shrank from under the pointer";
        SymbolButton* remove = colors.panel()->harmonyRows().back()->deleteButton();
        ASSERT_TRUE(t.scrolledTo(colors, remove));
        const QPoint at = RealToolbar::centreOf(remove);
        before = colors.window()->frame();
        paceNewClick();
        clickOn(at);
        ASSERT_TRUE(waitUntil([&] { return colors.panel()->harmonyRows().size() == count - 1; }));
        ASSERT_TRUE(waitUntil([&] {
            return colors.window()->requestedFrame().height() == std::min(colors.contentHeight(), t.visible().height());
        }));
        ASSERT_EQ(pointerPosition(), at);
        ASSERT_EQ(colors.window()->requestedFrame().maxY(), before.maxY()) << "it moved under the pointer";
        leftBehind = !colors.window()->requestedFrame().containsPointer(platform::toScreen(QPointF(at)));
    }
    ASSERT_TRUE(settle());
    EXPECT_EQ(colors.window()->requestedFrame().maxY(), before.maxY()) << "it moved under the pointer";
    EXPECT_TRUE(colors.returnsOncePointerLeaves());
    EXPECT_FALSE(underTheToolbar());

    // The pointer moves on, off the picker: it goes back under the toolbar.
    const Rect f = colors.window()->frame();
    const platform::Point away(f.midX() < t.visible().midX() ? t.visible().maxX() - 20 : t.visible().minX() + 20,
                               t.visible().midY());
    moveMouse(platform::toGlobal(away).toPoint());
    EXPECT_TRUE(waitUntil(underTheToolbar)) << "still at y " << colors.window()->frame().minY();
    EXPECT_TRUE(t.insideTheVisibleFrame(&colors));
}

// The colour picker on a real X server, opened from the toolbar's swatch
// with the real pointer: where it opens, a pick on the wheel that the next
// stroke takes, Esc, and a harmony's name field that keeps Delete and Esc
// from the overlay under it.
#include "RealToolbar.h"
#include "colorpicker/ColorPickerPanel.h"
#include "colorpicker/ColorPickerWindowController.h"
#include "colorpicker/ColorValues.h"
#include "colorpicker/ColorWheelView.h"
#include "colorpicker/SavedHarmonyRow.h"
#include "model/DrawingState.h"
#include "platform/Geometry.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "toolbar/ColorSwatchView.h"
#include "ui/SymbolButton.h"

#include "ui/OpenPanelRegistry.h"
#include <QLabel>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;

namespace {

// A pen stroke dragged across the overlay from `from`, `steps` moves of 8
// points to the right.
void drawStroke(QPoint from, int steps = 20) {
    moveMouse(from);
    xdotool({"mousedown", "1"});
    for (int i = 1; i <= steps; ++i) {
        moveMouse(from + QPoint(8 * i, i % 2));
        drainEvents();
    }
    xdotool({"mouseup", "1"});
}

// Opens the picker with a click on the swatch and waits until it is up.
ColorPickerWindowController* openPicker(RealToolbar& t) {
    clickOn(RealToolbar::centreOf(t.view()->swatch()));
    if (!waitUntil([&] { return panelUp(t.view()->panels().colorPicker()); }, 3000)) return nullptr;
    return t.view()->panels().colorPicker();
}

} // namespace

TEST(ColorPickerOnX11, TheSwatchOpensItUnderItselfAndAPickOnTheWheelIsTheNextStrokesColour) {
    RealToolbar t;
    ASSERT_TRUE(t.showAndSettle());
    ASSERT_TRUE(t.state().selectedTool.get());
    ColorPickerWindowController* picker = openPicker(t);
    ASSERT_TRUE(picker);
    const Rect f = picker->window()->frame();
    const Rect swatch = *t.view()->swatchRef->frameOnScreen();
    EXPECT_EQ(f.width(), 246);
    EXPECT_EQ(f.minX(), swatch.midX() - 123);
    EXPECT_EQ(f.maxY(), t.window()->frame().minY()) << "hangs from the toolbar's bottom edge";
    EXPECT_TRUE(t.view()->colorPickerIsOpen);
    EXPECT_FALSE(picker->window()->keyboard().isKeyWindow());

    // The bottom of the disc, 60 points out: cyan.
    ColorWheelView* wheel = picker->panel()->wheel();
    const QPointF centre = wheel->wheelGeometry().centre;
    clickOn(wheel->mapToGlobal(centre.toPoint() + QPoint(0, 60)));
    const Color cyan = colorFromHSB(0.5, 60.0 / 87, 1);
    EXPECT_TRUE(waitUntil([&] { return t.state().selectedColor.get() == cyan; }, 3000));
    EXPECT_TRUE(shown(picker));
    EXPECT_TRUE(waitUntil([&] { return t.view()->swatch()->color() == cyan; }, 3000));

    // Esc closes it; the next stroke has the colour.
    pressKey("Escape");
    EXPECT_TRUE(waitUntil([&] { return !shown(picker) && !t.view()->colorPickerIsOpen; }, 3000));
    EXPECT_TRUE(OpenPanelRegistry::shared().openPanels().empty());
    paceNewClick();
    drawStroke(QPoint(600, 600));
    ASSERT_TRUE(waitUntil([&] { return t.state().strokes->size() == 1; }, 3000));
    EXPECT_EQ(t.state().strokes->front().color, cyan.opacity(t.state().strokeOpacity));
}

TEST(ColorPickerOnX11, ASecondClickOnTheSwatchClosesItAndAClickOnTheOverlayOnlyClosesIt) {
    RealToolbar t;
    ASSERT_TRUE(t.showAndSettle());
    ASSERT_TRUE(openPicker(t));
    paceNewClick();
    clickOn(RealToolbar::centreOf(t.view()->swatch()));
    EXPECT_TRUE(waitUntil([&] { return !t.view()->panels().colorPicker() && !t.view()->colorPickerIsOpen; }, 3000));
    ASSERT_TRUE(settle());
    EXPECT_FALSE(t.view()->panels().colorPicker()) << "closed once, not reopened";

    paceNewClick();
    ColorPickerWindowController* picker = openPicker(t);
    ASSERT_TRUE(picker);
    paceNewClick();
    // A press on the overlay closes the picker and draws nothing.
    drawStroke(QPoint(600, 700), 4);
    EXPECT_TRUE(waitUntil([&] { return !shown(picker) && !t.view()->colorPickerIsOpen; }, 3000));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(t.state().strokes->empty());
}

// While a harmony's name is typed, Delete and Esc are the field's; the
// overlay's Delete (undo the last stroke) and the picker's Esc wait.
TEST(ColorPickerOnX11, TheNameFieldKeepsDeleteAndTheFirstEsc) {
    RealToolbar t;
    ASSERT_TRUE(t.showAndSettle());
    drawStroke(QPoint(600, 600));
    ASSERT_TRUE(waitUntil([&] { return t.state().strokes->size() == 1; }, 3000));
    platform::Window* overlay = platform::WindowKeyboard::keyWindow();
    ASSERT_TRUE(overlay);
    paceNewClick();

    ColorPickerWindowController* picker = openPicker(t);
    ASSERT_TRUE(picker);
    ColorPickerPanel& panel = *picker->panel();
    paceNewClick();
    clickOn(RealToolbar::centreOf(panel.saveButton()));
    ASSERT_TRUE(waitUntil([&] { return panel.harmonyRows().size() == 1; }, 3000));
    paceNewClick();
    SavedHarmonyRow* row = panel.harmonyRows()[0];
    clickOn(RealToolbar::centreOf(row->renameButton()));
    ASSERT_TRUE(
        waitUntil([&] { return picker->window()->keyboard().isKeyWindow() && panel.isRenameFieldFocused(); }, 3000));

    xdotool({"type", "--delay", "50", "warm"});
    EXPECT_TRUE(waitUntil([&] { return t.state().savedHarmonies.get()[0].name == "warm"; }, 3000));
    pressKey("BackSpace");
    EXPECT_TRUE(waitUntil([&] { return t.state().savedHarmonies.get()[0].name == "war"; }, 3000));
    ASSERT_TRUE(settle());
    EXPECT_EQ(t.state().strokes->size(), 1u) << "the overlay's Delete left the stroke";

    // The first Esc ends the renaming; the overlay gets the keyboard back.
    pressKey("Escape");
    EXPECT_TRUE(
        waitUntil([&] { return !panel.model().renamingHarmonyID.get() && overlay->keyboard().isKeyWindow(); }, 3000));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(shown(picker));
    EXPECT_TRUE(t.state().selectedTool.get()) << "the overlay's Esc chain did not run";
    EXPECT_EQ(row->nameLabel()->text(), "war");

    // The second closes the picker, and only the picker.
    pressKey("Escape");
    EXPECT_TRUE(waitUntil([&] { return !shown(picker) && !t.view()->colorPickerIsOpen; }, 3000));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(t.state().selectedTool.get());
    EXPECT_EQ(t.state().strokes->size(), 1u);
}

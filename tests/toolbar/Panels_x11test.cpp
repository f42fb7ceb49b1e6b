// The toolbar's anchored panels on a real X server: opened and picked from
// with the real pointer, closed by clicks elsewhere and by Esc, left open by
// clicks in other programs, and the font search field's keyboard.
#include "RealToolbar.h"
#include "platform/Geometry.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "toolbar/FontPickerPanel.h"
#include "toolbar/FontPickerRoot.h"
#include "toolbar/FontPickerWindowController.h"
#include "toolbar/SubmenuWindowController.h"
#include "toolbar/ToolSlotView.h"
#include "ui/OpenPanelRegistry.h"

#include <QLineEdit>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;

namespace {

// The chevron of a family slot, on the root window.
QPoint chevronOf(const ToolSlotView* slot) { return slot->mapToGlobal(QPoint(29, 12)); }

} // namespace

TEST(PanelsOnX11, ClicksOpenTheShapeSubmenuAndPickTheStar) {
    RealToolbar t;
    ASSERT_TRUE(t.showAndSettle());
    DrawingToolbarView& v = *t.view();
    clickOn(chevronOf(v.shapeSlot()));
    ASSERT_TRUE(waitUntil([&] { return panelUp(v.panels().shapeSubmenu()); }, 3000));
    ShapeSubmenuWindowController& menu = *v.panels().shapeSubmenu();
    // Right under the slot, as wide as it, on the toolbar's bottom edge.
    const Rect slot = *v.shapeRef->frameOnScreen();
    EXPECT_EQ(menu.window()->frame().minX(), slot.minX());
    EXPECT_EQ(menu.window()->frame().width(), slot.width());
    EXPECT_EQ(menu.window()->frame().maxY(), t.window()->frame().minY());
    EXPECT_TRUE(v.shapeSubmenuIsOpen);
    EXPECT_FALSE(menu.window()->keyboard().isKeyWindow());

    SubmenuItem* star = menu.root()->items().back();
    ASSERT_EQ(star->tool(), DrawingTool::star);
    clickOn(RealToolbar::centreOf(star));
    EXPECT_TRUE(waitUntil([&] { return t.state().selectedTool.get() == DrawingTool::star; }, 3000));
    EXPECT_TRUE(waitUntil([&] { return !shown(&menu) && !v.shapeSubmenuIsOpen; }, 3000));
    EXPECT_EQ(t.state().toolbarShapeOrder.get().front(), DrawingTool::star);
    EXPECT_EQ(v.shapeSlot()->shownTool(), DrawingTool::star);
    EXPECT_TRUE(OpenPanelRegistry::shared().openPanels().empty());
}

TEST(PanelsOnX11, ClicksOnAnotherControlOnlyCloseTheOpenPanel) {
    RealToolbar t;
    ASSERT_TRUE(t.showAndSettle());
    DrawingToolbarView& v = *t.view();
    clickOn(chevronOf(v.penSlot()));
    ASSERT_TRUE(waitUntil([&] { return panelUp(v.panels().penSubmenu()); }, 3000));
    paceNewClick();

    // The shape chevron's click closes the pen submenu and goes no further.
    clickOn(chevronOf(v.shapeSlot()));
    EXPECT_TRUE(waitUntil([&] { return !shown(v.panels().penSubmenu()) && !v.penSubmenuIsOpen; }, 3000));
    ASSERT_TRUE(settle());
    EXPECT_FALSE(v.shapeSubmenuIsOpen);
    EXPECT_FALSE(v.panels().shapeSubmenu());
    paceNewClick();
    // The next one opens it; the one after that, on its own chevron, closes it.
    clickOn(chevronOf(v.shapeSlot()));
    ASSERT_TRUE(waitUntil([&] { return panelUp(v.panels().shapeSubmenu()); }, 3000));
    paceNewClick();
    clickOn(chevronOf(v.shapeSlot()));
    EXPECT_TRUE(waitUntil([&] { return !v.panels().shapeSubmenu() && !v.shapeSubmenuIsOpen; }, 3000));
}

TEST(PanelsOnX11, ClicksInAnotherProgramLeaveThePanelOpen) {
    RealToolbar t;
    ASSERT_TRUE(t.showAndSettle());
    // Pointer passes through the overlays to the programs below.
    t.state().selectedTool = std::nullopt;
    ExternalWindow other(OVERINK_CLICK_RECORDER, QRect(200, 500, 400, 300));
    ASSERT_TRUE(other.ready());
    DrawingToolbarView& v = *t.view();
    clickOn(chevronOf(v.penSlot()));
    ASSERT_TRUE(waitUntil([&] { return panelUp(v.panels().penSubmenu()); }, 3000));
    paceNewClick();

    clickOn(QPoint(400, 650));
    EXPECT_TRUE(other.waitForPress(QPoint(400, 650)));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(shown(v.panels().penSubmenu())) << "clicks elsewhere are not ours to see";
    EXPECT_TRUE(v.penSubmenuIsOpen);
}

TEST(PanelsOnX11, ShiftEscClosesTheOpenPanelAndNothingElse) {
    RealToolbar t;
    ASSERT_TRUE(t.showAndSettle());
    ASSERT_TRUE(t.state().isOverlayVisible);
    DrawingToolbarView& v = *t.view();
    clickOn(chevronOf(v.penSlot()));
    ASSERT_TRUE(waitUntil([&] { return panelUp(v.panels().penSubmenu()); }, 3000));
    pressKey("shift+Escape");
    EXPECT_TRUE(waitUntil([&] { return !shown(v.panels().penSubmenu()) && !v.penSubmenuIsOpen; }, 3000));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(t.state().isOverlayVisible) << "the overlays did not see it";
}

TEST(PanelsOnX11, TheFontSearchFieldTakesTheKeyboardAndKeepsTheFirstEsc) {
    RealToolbar t;
    ASSERT_TRUE(t.showAndSettle());
    // The overlay the toolbar came with takes the keyboard once it is on
    // screen. A panel opened before that would find the program inactive
    // and take the keyboard itself.
    ASSERT_TRUE(waitUntil([&] { return t.overlay() && t.overlay()->keyboard().isKeyWindow(); }, 5000));
    platform::Window* before = platform::WindowKeyboard::keyWindow();
    DrawingToolbarView& v = *t.view();
    v.openFontPicker();
    ASSERT_TRUE(waitUntil([&] { return panelUp(v.panels().fontPicker()); }, 3000));
    FontPickerWindowController& picker = *v.panels().fontPicker();
    QLineEdit* search = picker.root()->panel()->searchField();
    // Opening the picker leaves the keyboard where it was.
    ASSERT_TRUE(settle());
    EXPECT_TRUE(before->keyboard().isKeyWindow());
    EXPECT_FALSE(picker.window()->keyboard().isKeyWindow());
    // A click on the panel beside its field takes no keyboard.
    clickOn(picker.window()->widget()->mapToGlobal(QPoint(4, 4)));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(shown(&picker));
    EXPECT_FALSE(picker.window()->keyboard().isKeyWindow());
    paceNewClick();

    clickOn(RealToolbar::centreOf(search));
    ASSERT_TRUE(waitUntil([&] { return picker.window()->keyboard().isKeyWindow() && search->hasFocus(); }, 3000));
    xdotool({"type", "--delay", "50", "mono"});
    EXPECT_TRUE(waitUntil([&] { return picker.root()->panel()->searchText() == "mono"; }, 3000));

    // The first Esc ends the typing; the keyboard goes back.
    pressKey("Escape");
    EXPECT_TRUE(waitUntil([&] { return !search->hasFocus() && !picker.window()->keyboard().isKeyWindow(); }, 3000));
    EXPECT_TRUE(waitUntil([&] { return before->keyboard().isKeyWindow(); }, 3000));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(shown(&picker));
    EXPECT_TRUE(v.fontPickerIsOpen);

    // The second closes the picker.
    pressKey("Escape");
    EXPECT_TRUE(waitUntil([&] { return !shown(&picker) && !v.fontPickerIsOpen; }, 3000));
}

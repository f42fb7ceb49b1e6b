// The toolbar's panel toggles offscreen: each control opens its panel (the
// colour picker towards the screen's middle) and closes it again; a panel
// closed by Esc, a click elsewhere or its own pick clears its flag, and a
// click on another control only closes the open one.
#include "colorpicker/ColorPickerModel.h"
#include "colorpicker/ColorPickerPanel.h"
#include "colorpicker/ColorPickerRoot.h"
#include "colorpicker/ColorPickerWindowController.h"
#include "toolbar/ColorSwatchView.h"
#include "toolbar/FontPickerWindowController.h"
#include "toolbar/SubmenuWindowController.h"
#include "toolbar/ToolSlotView.h"
#include "toolbar/ToolbarWindowController.h"

#include "ToolbarTestSupport.h"
#include "support/FakeEventMonitor.h"
#include "ui/OpenPanelRegistry.h"

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Point;
using T = DrawingTool;
namespace Key = platform::KeyCode;
namespace Mod = platform::ModifierFlags;

namespace {

bool listed(const void* panel) {
    const auto& open = OpenPanelRegistry::shared().openPanels();
    return std::find(open.begin(), open.end(), panel) != open.end();
}

bool shown(const ui::AnchoredPanelController* panel) { return panel && panel->window()->isVisible(); }

// A screen point in the middle of a control.
Point centreOf(const std::shared_ptr<AnchorRef>& ref) {
    const platform::Rect r = *ref->frameOnScreen();
    return Point(r.midX(), r.midY());
}

} // namespace

TEST(PanelToggles, AChevronOpensItsSubmenuAndTheNextTapClosesIt) {
    ToolbarHarness h;
    DrawingToolbarView& v = *h.view;
    click(v.penSlot(), QPointF(29, 12));
    PenSubmenuWindowController* menu = v.panels().penSubmenu();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(shown(menu));
    EXPECT_TRUE(v.penSubmenuIsOpen);
    EXPECT_TRUE(listed(menu));
    EXPECT_FALSE(menu->window()->keyboard().isKeyWindow()) << "shown without the keyboard";
    h.settle();
    EXPECT_TRUE(v.penSlot()->isPanelOpen()) << "the chevron turns accent";

    click(v.penSlot(), QPointF(29, 12));
    EXPECT_FALSE(v.panels().penSubmenu());
    EXPECT_TRUE(v.penSubmenuIsOpen) << "cleared on a later turn";
    h.settle();
    EXPECT_FALSE(v.penSubmenuIsOpen);
    EXPECT_FALSE(v.penSlot()->isPanelOpen());
    EXPECT_TRUE(OpenPanelRegistry::shared().openPanels().empty());

    // The font picker toggles from the text slot's hold the same way.
    v.openFontPicker();
    ASSERT_TRUE(shown(v.panels().fontPicker()));
    EXPECT_TRUE(v.fontPickerIsOpen);
    v.openFontPicker();
    h.settle();
    EXPECT_FALSE(v.panels().fontPicker());
    EXPECT_FALSE(v.fontPickerIsOpen);
}

TEST(PanelToggles, AfterEscTheClosedControllerStaysUntilTheNextTapOpensANewOne) {
    ToolbarHarness h;
    DrawingToolbarView& v = *h.view;
    v.openShapeSubmenu();
    ShapeSubmenuWindowController* first = v.panels().shapeSubmenu();
    ASSERT_TRUE(shown(first));
    EXPECT_FALSE(injectLocal(keyEvent(Key::escape, Mod::command)).has_value());
    h.settle();
    EXPECT_FALSE(shown(first));
    EXPECT_FALSE(v.shapeSubmenuIsOpen);
    EXPECT_EQ(v.panels().shapeSubmenu(), first) << "kept, closed";

    v.openShapeSubmenu();
    ASSERT_TRUE(v.panels().shapeSubmenu());
    EXPECT_TRUE(shown(v.panels().shapeSubmenu()));
    EXPECT_TRUE(v.shapeSubmenuIsOpen);
    EXPECT_EQ(OpenPanelRegistry::shared().openPanels().size(), 1u) << "only the new one";
}

TEST(PanelToggles, APickClosesTheSubmenuAndTheSlotShowsIt) {
    ToolbarHarness h;
    DrawingToolbarView& v = *h.view;
    v.openShapeSubmenu();
    SubmenuRoot* root = v.panels().shapeSubmenu()->root();
    ASSERT_FALSE(root->items().empty());
    SubmenuItem* star = root->items().back();
    ASSERT_EQ(star->tool(), T::star);
    click(star);
    EXPECT_FALSE(shown(v.panels().shapeSubmenu()));
    h.settle();
    EXPECT_FALSE(v.shapeSubmenuIsOpen);
    EXPECT_EQ(h.t->selectedTool.get(), T::star);
    EXPECT_EQ(v.shapeSlot()->shownTool(), T::star);
    EXPECT_TRUE(v.shapeSlot()->isSelected());

    // Reopened, it offers the rectangle in the star's place.
    v.openShapeSubmenu();
    EXPECT_EQ(v.panels().shapeSubmenu()->root()->items().front()->tool(), T::rectangle);
}

TEST(PanelToggles, TheFamilySlotsIconClosesItsSubmenuAndDropsIt) {
    ToolbarHarness h;
    DrawingToolbarView& v = *h.view;
    h.t->selectedTool = T::line;
    v.openPenSubmenu();
    ASSERT_TRUE(shown(v.panels().penSubmenu()));
    click(v.penSlot(), QPointF(5, 5));
    EXPECT_EQ(h.t->selectedTool.get(), T::pen);
    EXPECT_FALSE(v.panels().penSubmenu());
    h.settle();
    EXPECT_FALSE(v.penSubmenuIsOpen);
    EXPECT_TRUE(OpenPanelRegistry::shared().openPanels().empty());
    // The other family's icon leaves this family's submenu alone.
    v.openPenSubmenu();
    click(v.shapeSlot(), QPointF(5, 5));
    EXPECT_TRUE(shown(v.panels().penSubmenu()));
}

TEST(PanelToggles, AClickOnAnotherControlOnlyClosesTheOpenPanel) {
    ToolbarHarness h;
    ToolbarWindowController window(h.t.state);
    window.window()->orderFront();
    drainEvents();
    DrawingToolbarView& v = *window.toolbarView();
    v.openShapeSubmenu();
    ASSERT_TRUE(shown(v.panels().shapeSubmenu()));
    // Past the hold: the click monitor is the panel's for good.
    bool held = false;
    platform::dispatchMainAfter(0.25, [&] { held = true; });
    ASSERT_TRUE(waitUntil([&] { return held; }));
    // Near its own control the click is the control's.
    const platform::Rect shape = *v.shapeRef->frameOnScreen();
    EXPECT_TRUE(
        injectLocal(mouseEvent(platform::EventType::leftMouseDown, Point(shape.maxX() + 5, shape.midY()))).has_value());
    drainEvents();
    EXPECT_TRUE(shown(v.panels().shapeSubmenu()));
    // On the swatch: consumed, the submenu closes, no colour picker.
    EXPECT_FALSE(injectLocal(mouseEvent(platform::EventType::leftMouseDown, centreOf(v.swatchRef))).has_value());
    drainEvents();
    EXPECT_FALSE(shown(v.panels().shapeSubmenu()));
    EXPECT_FALSE(v.shapeSubmenuIsOpen);
    EXPECT_FALSE(v.colorPickerIsOpen);
    // Now the swatch's click goes through to the swatch.
    EXPECT_TRUE(injectLocal(mouseEvent(platform::EventType::leftMouseDown, centreOf(v.swatchRef))).has_value());
}

TEST(PanelToggles, TheSwatchOpensTheColourPickerAndItsNextTapClosesIt) {
    ToolbarHarness h;
    DrawingToolbarView& v = *h.view;
    click(v.swatch());
    ColorPickerWindowController* picker = v.panels().colorPicker();
    ASSERT_TRUE(picker);
    EXPECT_TRUE(shown(picker));
    EXPECT_TRUE(v.colorPickerIsOpen);
    EXPECT_TRUE(listed(picker));
    EXPECT_EQ(picker->anchorRef(), v.swatchRef);
    EXPECT_EQ(picker->window()->frame().width(), 246);
    h.settle();
    EXPECT_TRUE(v.swatch()->isPickerOpen()) << "the swatch shows its picker is open";

    // An edit in the picker is the drawing colour at once; the swatch follows.
    picker->panel()->model().setHueSaturation(0.5, 1);
    EXPECT_EQ(h.t->selectedColor.get(), (Color{0, 1, 1, 1}));
    h.settle();
    EXPECT_EQ(v.swatch()->color(), (Color{0, 1, 1, 1}));

    click(v.swatch());
    EXPECT_FALSE(v.panels().colorPicker());
    EXPECT_TRUE(v.colorPickerIsOpen) << "cleared on a later turn";
    h.settle();
    EXPECT_FALSE(v.colorPickerIsOpen);
    EXPECT_FALSE(v.swatch()->isPickerOpen());
    EXPECT_TRUE(OpenPanelRegistry::shared().openPanels().empty());

    // Esc closes it; the closed picker stays until the next tap makes a new one.
    click(v.swatch());
    picker = v.panels().colorPicker();
    EXPECT_FALSE(injectLocal(keyEvent(Key::escape)).has_value());
    h.settle();
    EXPECT_FALSE(shown(picker));
    EXPECT_FALSE(v.colorPickerIsOpen);
    click(v.swatch());
    ASSERT_TRUE(shown(v.panels().colorPicker()));
    EXPECT_EQ(OpenPanelRegistry::shared().openPanels().size(), 1u);
}

TEST(PanelToggles, TheColourPickerOpensTowardsTheMiddleOfTheScreenFromEachDockPosition) {
    using P = ToolbarDockPosition;
    using D = PanelOpenDirection;
    const std::vector<std::pair<P, D>> table{
        {P::topCenterH, D::below},    {P::topLeftH, D::below},      {P::topRightH, D::below},
        {P::bottomCenterH, D::above}, {P::bottomLeftH, D::above},   {P::bottomRightH, D::above},
        {P::topLeftV, D::toRight},    {P::middleLeftV, D::toRight}, {P::bottomLeftV, D::toRight},
        {P::topRightV, D::toLeft},    {P::middleRightV, D::toLeft}, {P::bottomRightV, D::toLeft},
    };
    ToolbarHarness h;
    DrawingToolbarView& v = *h.view;
    for (const auto& [position, direction] : table) {
        SCOPED_TRACE(rawValueText(position).toStdString());
        h.t->toolbarDockPosition = position;
        h.settle();
        v.toggleColorPicker();
        ASSERT_TRUE(shown(v.panels().colorPicker()));
        EXPECT_EQ(v.panels().colorPicker()->direction(), direction);
        EXPECT_EQ(v.panels().colorPicker()->root()->corners(), ui::PanelChrome::corners(direction, 10));
        v.toggleColorPicker();
        h.settle();
        EXPECT_FALSE(v.colorPickerIsOpen);
    }
}

TEST(PanelToggles, ShiftEscClosesAnOpenPanelAndGoesNoFurther) {
    ToolbarHarness h;
    h.view->openPenSubmenu();
    ASSERT_TRUE(shown(h.view->panels().penSubmenu()));
    // A toolbar window made after the panel: its Shift+Esc monitor runs first.
    ToolbarWindowController toolbar(h.t.state);
    ASSERT_FALSE(h.t->isOverlayVisible);
    EXPECT_FALSE(injectLocal(keyEvent(Key::escape, Mod::shift)).has_value());
    h.settle();
    EXPECT_FALSE(shown(h.view->panels().penSubmenu()));
    EXPECT_FALSE(h.t->isOverlayVisible) << "the key went no further";
    // With no panel open, Shift+Esc is the toolbar's again.
    EXPECT_FALSE(injectLocal(keyEvent(Key::escape, Mod::shift)).has_value());
    EXPECT_TRUE(h.t->isOverlayVisible);
}

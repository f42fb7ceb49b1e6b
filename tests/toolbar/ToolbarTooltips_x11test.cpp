// The toolbar's tooltip chips on a real X server: the real pointer resting
// on a control shows its chip beside the toolbar, on the side the dock
// position opens to, and leaving takes it down.
#include "model/DrawingState.h"
#include "toolbar/RealToolbar.h"
#include "toolbar/ToolButton.h"
#include "ui/SymbolButton.h"
#include "ui/TooltipChip.h"
#include "ui/TooltipManager.h"
#include "ui/TooltipPanel.h"

#include <QWindow>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;

namespace {

// Shown, and the server has it where it was put.
bool show(RealToolbar& t) {
    t.delegate->toggleToolbar();
    return waitUntil([&] { return t.window()->isVisible() && t.window()->windowHandle()->isExposed(); }) &&
           waitUntilPlaced(t.window()->xid(), [&] { return t.window()->widget()->geometry(); });
}

TooltipPanel* shownChip() {
    TooltipPanel* panel = TooltipManager::shared().panel();
    return panel && panel->isVisible() ? panel : nullptr;
}

// The chip is shown, fully faded in, and the server has it where it was put.
bool chipSettled(const QString& text) {
    const bool up = waitUntil(
        [&] { return shownChip() && shownChip()->chip()->text() == text && shownChip()->alphaValue() == 1; }, 3000);
    return up && waitUntilPlaced(shownChip()->xid(),
                                 [] { return shownChip() ? shownChip()->widget()->geometry() : QRect(); });
}

} // namespace

TEST(ToolbarTooltipsOnX11, RestingOnUndoShowsItsChipBelowTheToolbarUntilThePointerLeaves) {
    RealToolbar t;
    ASSERT_TRUE(show(t));
    SymbolButton* undo = t.view()->undoButton();
    EXPECT_FALSE(undo->isEnabled()) << "nothing to undo: the chip shows all the same";
    ASSERT_TRUE(moveMouse(RealToolbar::centreOf(undo)));
    ASSERT_TRUE(chipSettled("Undo"));

    const Rect chip = shownChip()->frame();
    const Rect bar = t.window()->frame();
    const Rect anchor = *undo->chip()->anchor()->frameOnScreen();
    EXPECT_EQ(chip.maxY(), bar.minY() - 4) << "below the toolbar docked at the top";
    EXPECT_NEAR(chip.midX(), anchor.midX(), 0.5);
    EXPECT_EQ(shownChip()->stacking().level(), platform::WindowLevel::popUp);
    EXPECT_FALSE(shownChip()->keyboard().isKeyWindow());

    ASSERT_TRUE(moveMouse(RealToolbar::centreOf(undo) + QPoint(0, 200)));
    EXPECT_TRUE(waitUntil([] { return shownChip() == nullptr; }, 2000));
}

TEST(ToolbarTooltipsOnX11, TheChipFollowsThePointerAlongTheToolbarAndItsDockPosition) {
    RealToolbar t;
    t.state().toolbarDockPosition = ToolbarDockPosition::middleLeftV;
    ASSERT_TRUE(show(t));
    ASSERT_TRUE(waitUntil([&] { return t.view()->isVerticalLayout(); }));
    const std::vector<ToolButton*>& tools = t.view()->toolButtons();
    ASSERT_GE(tools.size(), 2u);
    ASSERT_TRUE(moveMouse(RealToolbar::centreOf(tools[0])));
    ASSERT_TRUE(chipSettled(displayName(tools[0]->tool())));
    EXPECT_EQ(shownChip()->frame().minX(), t.window()->frame().maxX() + 4) << "to the right of a left toolbar";

    // Straight on to the next control: its chip replaces the first one.
    ASSERT_TRUE(moveMouse(RealToolbar::centreOf(tools[1])));
    ASSERT_TRUE(chipSettled(displayName(tools[1]->tool())));
    const Rect anchor = *tools[1]->chip()->anchor()->frameOnScreen();
    EXPECT_NEAR(shownChip()->frame().midY(), anchor.midY(), 0.5);
}

TEST(ToolbarTooltipsOnX11, WithTooltipsOffRestingShowsNothing) {
    RealToolbar t;
    t.state().showTooltips = false;
    ASSERT_TRUE(show(t));
    // The pointer's arrival asks for nothing: no chip is even scheduled.
    SymbolButton* undo = t.view()->undoButton();
    ASSERT_TRUE(moveMouse(RealToolbar::centreOf(undo)));
    ASSERT_TRUE(waitUntil([&] { return undo->chip()->isHovered(); }));
    EXPECT_EQ(TooltipManager::shared().currentID(), nullptr);
    EXPECT_FALSE(TooltipManager::shared().hasShowTimer());
    t.state().showTooltips = true;
    ASSERT_TRUE(moveMouse(RealToolbar::centreOf(t.view()->redoButton())));
    EXPECT_TRUE(chipSettled("Redo"));
}

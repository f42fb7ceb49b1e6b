#pragma once

// The toolbar's view of the tools: each tool's icon, the pen and shape
// families that share one slot, and the list of slots.

#include "model/DrawingTool.h"

#include <QString>

#include <optional>
#include <vector>

// The symbol a tool shows wherever the toolbar and its submenus show it: its
// stored value, except the pen ("scribble") and the bezier pen
// ("beziercurve"), whose stored values name other symbols.
QString toolbarIconName(DrawingTool tool);

// The pen family, pen…airbrush. Unlike isFreehandTool it leaves out the
// imported-brush tool, which has a slot of its own.
constexpr bool isPenFamilyTool(DrawingTool t) { return toolIndex(t) >= 1 && toolIndex(t) <= 7; }
// The shape family, rectangle…star.
constexpr bool isShapeFamilyTool(DrawingTool t) { return toolIndex(t) >= 11 && toolIndex(t) <= 19; }

// The tools that get a slot, in toolbar order: every tool but move and the
// family members other than the two heads (pen, rectangle).
std::vector<DrawingTool> toolSlotList();

// What a family slot shows: the first tool of the family's order, or the
// family's head when the order is empty.
DrawingTool familyShownTool(const std::vector<DrawingTool>& order, DrawingTool head);

// What a family's submenu offers: every tool of the order but the first,
// which stands on the slot already; in order.
std::vector<DrawingTool> submenuTools(const std::vector<DrawingTool>& order);

// The order after a pick in the submenu: the picked tool first, the others
// after it in their old order.
std::vector<DrawingTool> orderAfterPick(const std::vector<DrawingTool>& order, DrawingTool picked);

// Whether a slot lights up for the selected tool: a family slot for any
// member, every other slot for its own tool only; no tool lights none.
bool slotIsSelected(DrawingTool slotTool, std::optional<DrawingTool> selected);

#pragma once

// The side of its anchor on which a pop-up panel or a tooltip chip opens,
// and the one table that gives it for each toolbar dock position.

#include "model/ToolbarDockPosition.h"

#include <array>

enum class PanelOpenDirection {
    below,
    above,
    toRight,
    toLeft,
};

// Indexed by the dock position's number: towards the screen's interior, away
// from the edge the toolbar is docked at. Every panel and chip of the toolbar
// reads this one table.
inline constexpr std::array<PanelOpenDirection, 12> kPanelOpenDirections = {
    PanelOpenDirection::below,   // topCenterH
    PanelOpenDirection::below,   // topLeftH
    PanelOpenDirection::below,   // topRightH
    PanelOpenDirection::toRight, // topLeftV
    PanelOpenDirection::toLeft,  // topRightV
    PanelOpenDirection::toRight, // middleLeftV
    PanelOpenDirection::toLeft,  // middleRightV
    PanelOpenDirection::toRight, // bottomLeftV
    PanelOpenDirection::toLeft,  // bottomRightV
    PanelOpenDirection::above,   // bottomCenterH
    PanelOpenDirection::above,   // bottomLeftH
    PanelOpenDirection::above,   // bottomRightH
};

constexpr PanelOpenDirection panelOpenDirection(ToolbarDockPosition position) {
    return kPanelOpenDirections[static_cast<std::size_t>(position)];
}

// The direction of a toolbar at `position` that may stand in another row
// than its position names: a bottom-row horizontal toolbar moved to the top
// row (the bottom being taken) opens below it, as the top row does.
constexpr PanelOpenDirection panelOpenDirection(ToolbarDockPosition position, bool movedToTopRow) {
    const PanelOpenDirection direction = panelOpenDirection(position);
    return movedToTopRow && direction == PanelOpenDirection::above ? PanelOpenDirection::below : direction;
}

class DrawingState;
// The direction of the toolbar where it stands now: its dock position and
// the row it was placed in.
PanelOpenDirection toolbarPanelDirection(const DrawingState& state);

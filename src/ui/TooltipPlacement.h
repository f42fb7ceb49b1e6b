#pragma once

// Where a tooltip chip goes relative to its anchor.

#include "ui/PanelOpenDirection.h"

// `toolbar`: beside the toolbar's window, on the side its panels open to,
// centred on the control along that edge. `side`: beside the control's
// window, to the right when the chip fits there, else to the left.
struct TooltipPlacement {
    enum class Kind { toolbar, side };
    Kind kind = Kind::side;
    // Only read for `toolbar`.
    PanelOpenDirection direction = PanelOpenDirection::below;

    static TooltipPlacement toolbar(PanelOpenDirection direction) { return {Kind::toolbar, direction}; }
    static TooltipPlacement side() { return {Kind::side, PanelOpenDirection::below}; }
    friend bool operator==(const TooltipPlacement&, const TooltipPlacement&) = default;
};

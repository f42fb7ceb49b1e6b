#pragma once

// Where an anchored panel goes: against the edge of the toolbar window on
// the side it opens to, lined up with its control along the toolbar; and
// how it keeps that edge when its height changes. Screen space, y up.

#include "platform/Geometry.h"
#include "ui/PanelOpenDirection.h"

#include <optional>

namespace ui {

// How a panel lines up with its control along the toolbar.
struct PanelAlignment {
    // Beside a horizontal toolbar: its left edge this far from the control's
    // left edge; none: centred on the control.
    std::optional<double> offsetFromAnchorMinX;
    // Beside a vertical toolbar: centred on the toolbar window's middle
    // rather than on the control's.
    bool centredOnToolbar = false;

    static PanelAlignment centred() { return {}; }
    static PanelAlignment fromAnchorMinX(double offset) { return {offset, false}; }
};

// The origin of a panel of `size` opening to `direction` of the control at
// `anchor` on the toolbar window `toolbar`: it touches the toolbar window,
// not the control, and is never clamped to a screen.
platform::Point anchoredPanelOrigin(PanelOpenDirection direction, platform::Size size, const platform::Rect& anchor,
                                    const platform::Rect& toolbar, PanelAlignment alignment);

// Without a usable anchor: centred across the visible frame, its top 60
// points below the visible frame's top.
platform::Point fallbackPanelOrigin(platform::Size size, const platform::Rect& visibleFrame);

// The frame after the content asked for `height`: a panel standing on the
// toolbar (opening above) keeps its bottom edge and grows upwards; every
// other keeps its top edge.
platform::Rect resizedPanelFrame(const platform::Rect& frame, double height, PanelOpenDirection direction);

} // namespace ui

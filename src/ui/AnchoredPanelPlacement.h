#pragma once

// Where an anchored panel goes: against the edge of the toolbar window on
// the side it opens to, lined up with its control along the toolbar; how it
// keeps that edge when its height changes; and how it stays on its display.
// Screen space, y up.

#include "platform/Geometry.h"
#include "platform/ScreenProvider.h"
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
// not the control. Not yet kept on a display (kPanelKeptEdges).
platform::Point anchoredPanelOrigin(PanelOpenDirection direction, platform::Size size, const platform::Rect& anchor,
                                    const platform::Rect& toolbar, PanelAlignment alignment);

// The frame of a pop-up menu of `size` opening to `direction` of the control
// at `anchor` on the toolbar window `toolbar`: clear of the toolbar window
// like a panel, its left edge on the control's beside a horizontal toolbar,
// centred on the control beside a vertical one, and kept inside `visible`.
platform::Rect toolbarMenuFrame(PanelOpenDirection direction, platform::Size size, const platform::Rect& anchor,
                                const platform::Rect& toolbar, const std::optional<platform::Rect>& visible);

// Without a usable anchor: centred across the visible frame, its top 60
// points below the visible frame's top.
platform::Point fallbackPanelOrigin(platform::Size size, const platform::Rect& visibleFrame);

// The frame after the content asked for `height`: a panel standing on the
// toolbar (opening above) keeps its bottom edge and grows upwards; every
// other keeps its top edge.
platform::Rect resizedPanelFrame(const platform::Rect& frame, double height, PanelOpenDirection direction);

// The visible frame of the display that holds `rect`: the first screen
// whose frame contains its centre, else the first it overlaps, else the
// main screen; none without screens.
std::optional<platform::Rect> visibleFrameHolding(const platform::ScreenProvider& screens, const platform::Rect& rect);

// How a panel, a submenu or the canvas menu is kept on its display
// (platform::keptInside): larger than the visible frame, it shows its left
// and top edges, where its content begins (a panel's root scrolls from its
// top).
inline constexpr platform::KeepInsideTie kPanelKeptEdges{platform::KeptEdge::minEdge, platform::KeptEdge::maxEdge};

// The height of a panel whose content asks for `contentHeight` on a display
// of visible frame `visible`: never taller than that frame (the content then
// scrolls), else the content's.
double panelHeightOnDisplay(double contentHeight, const std::optional<platform::Rect>& visible);

// What a panel at `frame` does once its height has changed, when its own
// rule would put it at `formula`: it goes back there when it was moved
// elsewhere (kept inside `visible`, over the toolbar) and now fits there,
// but not under the pointer: then once the pointer has left it.
enum class PanelReturn { stays, returnsNow, returnsOncePointerLeaves };
PanelReturn panelReturn(const platform::Rect& frame, const platform::Rect& formula, const platform::Rect& visible,
                        bool pointerInside);

} // namespace ui

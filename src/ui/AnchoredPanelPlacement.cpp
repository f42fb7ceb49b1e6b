// The anchored panels' placement formulas.
#include "ui/AnchoredPanelPlacement.h"

#include <algorithm>

namespace ui {

namespace {
constexpr double kFallbackTopGap = 60;
} // namespace

platform::Point anchoredPanelOrigin(PanelOpenDirection direction, platform::Size size, const platform::Rect& anchor,
                                    const platform::Rect& toolbar, PanelAlignment alignment) {
    const double w = size.width;
    const double h = size.height;
    const double alongX =
        alignment.offsetFromAnchorMinX ? anchor.minX() + *alignment.offsetFromAnchorMinX : anchor.midX() - w / 2;
    const double alongY = (alignment.centredOnToolbar ? toolbar.midY() : anchor.midY()) - h / 2;
    switch (direction) {
    case PanelOpenDirection::below: return {alongX, toolbar.minY() - h};
    case PanelOpenDirection::above: return {alongX, toolbar.maxY()};
    case PanelOpenDirection::toRight: return {toolbar.maxX(), alongY};
    case PanelOpenDirection::toLeft: return {toolbar.minX() - w, alongY};
    }
    return {alongX, toolbar.minY() - h};
}

platform::Rect toolbarMenuFrame(PanelOpenDirection direction, platform::Size size, const platform::Rect& anchor,
                                const platform::Rect& toolbar, const std::optional<platform::Rect>& visible) {
    const platform::Rect frame(anchoredPanelOrigin(direction, size, anchor, toolbar, PanelAlignment::fromAnchorMinX(0)),
                               size);
    return visible ? platform::keptInside(frame, *visible, kPanelKeptEdges) : frame;
}

platform::Point fallbackPanelOrigin(platform::Size size, const platform::Rect& visibleFrame) {
    return {visibleFrame.midX() - size.width / 2, visibleFrame.maxY() - size.height - kFallbackTopGap};
}

platform::Rect resizedPanelFrame(const platform::Rect& frame, double height, PanelOpenDirection direction) {
    const double y = direction == PanelOpenDirection::above ? frame.minY() : frame.maxY() - height;
    return platform::Rect(frame.minX(), y, frame.width(), height);
}

std::optional<platform::Rect> visibleFrameHolding(const platform::ScreenProvider& screens, const platform::Rect& rect) {
    const auto list = screens.screens();
    const platform::Point centre(rect.midX(), rect.midY());
    for (const auto& s : list)
        if (s.frame.contains(centre)) return s.visibleFrame;
    for (const auto& s : list)
        if (s.frame.intersects(rect)) return s.visibleFrame;
    if (const auto main = screens.mainScreen()) return main->visibleFrame;
    return std::nullopt;
}

double panelHeightOnDisplay(double contentHeight, const std::optional<platform::Rect>& visible) {
    return visible ? std::min(contentHeight, visible->height()) : contentHeight;
}

PanelReturn panelReturn(const platform::Rect& frame, const platform::Rect& formula, const platform::Rect& visible,
                        bool pointerInside) {
    if (frame == formula || !visible.contains(formula)) return PanelReturn::stays;
    // Moved under the pointer, the controls would change places under it.
    return pointerInside ? PanelReturn::returnsOncePointerLeaves : PanelReturn::returnsNow;
}

} // namespace ui

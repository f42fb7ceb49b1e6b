// The anchored panels' placement formulas.
#include "ui/AnchoredPanelPlacement.h"

namespace ui {

namespace {
constexpr double kFallbackTopGap = 60;
} // namespace

platform::Point anchoredPanelOrigin(PanelOpenDirection direction, platform::Size size, const platform::Rect& anchor,
                                    const platform::Rect& toolbar, PanelAlignment alignment) {
    const double w = size.width;
    const double h = size.height;
    const double alongX = alignment.offsetFromAnchorMinX ? anchor.minX() + *alignment.offsetFromAnchorMinX
                                                         : anchor.midX() - w / 2;
    const double alongY = (alignment.centredOnToolbar ? toolbar.midY() : anchor.midY()) - h / 2;
    switch (direction) {
    case PanelOpenDirection::below: return {alongX, toolbar.minY() - h};
    case PanelOpenDirection::above: return {alongX, toolbar.maxY()};
    case PanelOpenDirection::toRight: return {toolbar.maxX(), alongY};
    case PanelOpenDirection::toLeft: return {toolbar.minX() - w, alongY};
    }
    return {alongX, toolbar.minY() - h};
}

platform::Point fallbackPanelOrigin(platform::Size size, const platform::Rect& visibleFrame) {
    return {visibleFrame.midX() - size.width / 2, visibleFrame.maxY() - size.height - kFallbackTopGap};
}

platform::Rect resizedPanelFrame(const platform::Rect& frame, double height, PanelOpenDirection direction) {
    const double y = direction == PanelOpenDirection::above ? frame.minY() : frame.maxY() - height;
    return platform::Rect(frame.minX(), y, frame.width(), height);
}

} // namespace ui

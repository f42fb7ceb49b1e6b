// The dock positions a desktop panel leaves out of the position diagram.
#include "toolbar/DockSpots.h"

#include "platform/ScreenProvider.h"

#include <algorithm>

using P = ToolbarDockPosition;

std::set<ToolbarDockPosition> blockedSpots(const platform::Rect& frame, const platform::Rect& visibleFrame) {
    std::set<ToolbarDockPosition> blocked;
    if (visibleFrame.minY() > frame.minY() + kDockSpotMargin)
        blocked.insert({P::bottomLeftH, P::bottomCenterH, P::bottomRightH, P::bottomLeftV, P::bottomRightV});
    if (visibleFrame.minX() > frame.minX() + kDockSpotMargin)
        blocked.insert({P::topLeftH, P::topLeftV, P::middleLeftV, P::bottomLeftV, P::bottomLeftH});
    if (frame.maxX() - kDockSpotMargin > visibleFrame.maxX())
        blocked.insert({P::topRightH, P::topRightV, P::middleRightV, P::bottomRightV, P::bottomRightH});
    return blocked;
}

std::set<ToolbarDockPosition> blockedSpots(const platform::ScreenProvider& screens) {
    const auto main = screens.mainScreen();
    if (!main) return {};
    return blockedSpots(main->frame, main->visibleFrame);
}

std::vector<DockSpot> offeredSpots(const std::vector<DockSpot>& spots, const std::set<ToolbarDockPosition>& blocked) {
    std::vector<DockSpot> offered;
    std::copy_if(spots.begin(), spots.end(), std::back_inserter(offered),
                 [&](const DockSpot& s) { return !blocked.contains(s.position); });
    return offered;
}

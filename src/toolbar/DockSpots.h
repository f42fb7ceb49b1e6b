#pragma once

// The toolbar-position diagram's spots, and which of them a desktop panel
// reserving an edge of the main screen leaves out.

#include "model/ToolbarDockPosition.h"
#include "platform/Geometry.h"

#include <array>
#include <set>
#include <vector>

namespace platform {
class ScreenProvider;
}

// A dock position drawn as a bar in the diagram's miniature screen: the bar's
// centre as fractions of the miniature's width (from the left) and height
// (from the top).
struct DockSpot {
    ToolbarDockPosition position;
    double x;
    double y;
    friend bool operator==(const DockSpot&, const DockSpot&) = default;
};

// The settings panel's twelve spots, in drawing order.
inline constexpr std::array<DockSpot, 12> kSettingsDockSpots = {{
    {ToolbarDockPosition::topLeftH, 0.18, 0.05},
    {ToolbarDockPosition::topCenterH, 0.5, 0.05},
    {ToolbarDockPosition::topRightH, 0.82, 0.05},
    {ToolbarDockPosition::topLeftV, 0.05, 0.22},
    {ToolbarDockPosition::topRightV, 0.95, 0.22},
    {ToolbarDockPosition::middleLeftV, 0.05, 0.5},
    {ToolbarDockPosition::middleRightV, 0.95, 0.5},
    {ToolbarDockPosition::bottomLeftV, 0.05, 0.78},
    {ToolbarDockPosition::bottomRightV, 0.95, 0.78},
    {ToolbarDockPosition::bottomLeftH, 0.18, 0.95},
    {ToolbarDockPosition::bottomCenterH, 0.5, 0.95},
    {ToolbarDockPosition::bottomRightH, 0.82, 0.95},
}};

// A panel taking more than this much of an edge blocks the positions on it.
inline constexpr double kDockSpotMargin = 20;

// The positions that a desktop panel covers, from a screen's frame and its
// visible frame: those along the bottom, left or right edge when the visible
// frame stops more than 20 points short of it. The top edge is never
// blocked.
std::set<ToolbarDockPosition> blockedSpots(const platform::Rect& frame, const platform::Rect& visibleFrame);
// The same for the main screen; nothing without one.
std::set<ToolbarDockPosition> blockedSpots(const platform::ScreenProvider& screens);

// The spots whose position is not blocked, in their order.
std::vector<DockSpot> offeredSpots(const std::vector<DockSpot>& spots, const std::set<ToolbarDockPosition>& blocked);

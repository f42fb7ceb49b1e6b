#pragma once

// Where the toolbar docks on a screen.

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <string_view>

// Where the toolbar docks on a screen. The stored value is the case name.
enum class ToolbarDockPosition {
    topCenterH,
    topLeftH,
    topRightH,
    topLeftV,
    topRightV,
    middleLeftV,
    middleRightV,
    bottomLeftV,
    bottomRightV,
    bottomCenterH,
    bottomLeftH,
    bottomRightH,
};

inline constexpr std::array<ToolbarDockPosition, 12> kAllToolbarDockPositions = {
    ToolbarDockPosition::topCenterH,    ToolbarDockPosition::topLeftH,    ToolbarDockPosition::topRightH,
    ToolbarDockPosition::topLeftV,      ToolbarDockPosition::topRightV,   ToolbarDockPosition::middleLeftV,
    ToolbarDockPosition::middleRightV,  ToolbarDockPosition::bottomLeftV, ToolbarDockPosition::bottomRightV,
    ToolbarDockPosition::bottomCenterH, ToolbarDockPosition::bottomLeftH, ToolbarDockPosition::bottomRightH,
};

std::string_view rawValue(ToolbarDockPosition position);
QString rawValueText(ToolbarDockPosition position);
std::optional<ToolbarDockPosition> toolbarDockPositionFromRaw(QStringView raw);
QString displayName(ToolbarDockPosition position);
// The six positions whose names end in V lay the toolbar out vertically.
constexpr bool isVertical(ToolbarDockPosition p) { return static_cast<int>(p) >= 3 && static_cast<int>(p) <= 8; }

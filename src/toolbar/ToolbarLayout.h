#pragma once

// The toolbar's arrangement, as data: its orientation and paddings for a
// dock position, and its items in order.

#include "model/DrawingTool.h"
#include "model/ToolbarDockPosition.h"

#include <QMarginsF>

#include <vector>

// A table of the toolbar's measures, read as ToolbarMetrics::itemSpacing.
// NOLINTBEGIN(readability-identifier-naming)
namespace ToolbarMetrics {
inline constexpr double itemSpacing = 8;
// Horizontal toolbar: 12 left and right, 6 top and bottom; vertical: the
// other way round.
inline constexpr double longPadding = 12;
inline constexpr double shortPadding = 6;
inline constexpr double cornerRadius = 10;
inline constexpr double controlSide = 24;
inline constexpr double dividerLength = 18;
inline constexpr double dividerPadding = 1;
inline constexpr double swatchSide = 16;
inline constexpr double sliderLength = 80;
inline constexpr double valueWidth = 40;
} // namespace ToolbarMetrics
// NOLINTEND(readability-identifier-naming)

enum class ToolbarItemKind {
    canvasVisibility,
    lock,
    pin,
    divider,
    toolSlot,
    colorSwatch,
    widthControl,
    redo,
    undo,
    clearAll,
    capture,
};

struct ToolbarItem {
    ToolbarItemKind kind;
    // For a tool slot.
    DrawingTool tool = DrawingTool::move;
    friend bool operator==(const ToolbarItem&, const ToolbarItem&) = default;
};

// The fifteen items in order, the seven tool slots expanded into one entry
// each: show/hide, lock, pin | slots | swatch | width | redo, undo, clear |
// capture.
std::vector<ToolbarItem> toolbarItems();

// Left, top, right, bottom.
QMarginsF toolbarPadding(ToolbarDockPosition position);

// One laid-out item of the toolbar: its length along the toolbar, and
// whether it is a group divider.
struct ToolbarLineItem {
    double length = 0;
    bool divider = false;
};

// Where a toolbar too long for its screen breaks into lines (columns of a
// vertical toolbar, rows of a horizontal one), so that every control stays
// on the screen: as few lines as keep each within `maxLength` (its items
// `spacing` apart), as even as they can be. Lines break at group dividers,
// which are then left out; only when that cannot fit do they break between
// other items. Returns the index of each line's first item, {0} for one
// line.
std::vector<std::size_t> toolbarLineStarts(const std::vector<ToolbarLineItem>& items, double spacing, double maxLength);

// Whether the item at `index` is shown with those lines: a divider at
// either end of a line is not.
bool isShownInLines(const std::vector<ToolbarLineItem>& items, const std::vector<std::size_t>& starts,
                    std::size_t index);

#include "toolbar/ToolbarLayout.h"

#include "toolbar/ToolFamilies.h"

std::vector<ToolbarItem> toolbarItems() {
    using K = ToolbarItemKind;
    std::vector<ToolbarItem> items = {{K::canvasVisibility}, {K::lock}, {K::pin}, {K::divider}};
    for (DrawingTool t : toolSlotList()) items.push_back({K::toolSlot, t});
    const K rest[] = {K::divider, K::colorSwatch, K::divider, K::widthControl, K::divider,
                      K::redo,    K::undo,        K::clearAll, K::divider,     K::capture};
    for (K k : rest) items.push_back({k});
    return items;
}

QMarginsF toolbarPadding(ToolbarDockPosition position) {
    using namespace ToolbarMetrics;
    if (isVertical(position)) return QMarginsF(shortPadding, longPadding, shortPadding, longPadding);
    return QMarginsF(longPadding, shortPadding, longPadding, shortPadding);
}

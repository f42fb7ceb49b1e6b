#include "toolbar/ToolFamilies.h"

QString toolbarIconName(DrawingTool tool) {
    switch (tool) {
    case DrawingTool::pen: return QStringLiteral("scribble");
    case DrawingTool::bezierPen: return QStringLiteral("beziercurve");
    default: return rawValueText(tool);
    }
}

std::vector<DrawingTool> toolSlotList() {
    std::vector<DrawingTool> list;
    for (DrawingTool t : kAllDrawingTools) {
        if (t == DrawingTool::move) continue;
        if (isPenFamilyTool(t) && t != DrawingTool::pen) continue;
        if (isShapeFamilyTool(t) && t != DrawingTool::rectangle) continue;
        list.push_back(t);
    }
    return list;
}

DrawingTool familyShownTool(const std::vector<DrawingTool>& order, DrawingTool head) {
    return order.empty() ? head : order.front();
}

std::vector<DrawingTool> submenuTools(const std::vector<DrawingTool>& order) {
    if (order.empty()) return {};
    return std::vector<DrawingTool>(order.begin() + 1, order.end());
}

std::vector<DrawingTool> orderAfterPick(const std::vector<DrawingTool>& order, DrawingTool picked) {
    std::vector<DrawingTool> result{picked};
    for (DrawingTool t : order)
        if (t != picked) result.push_back(t);
    return result;
}

bool slotIsSelected(DrawingTool slotTool, std::optional<DrawingTool> selected) {
    if (!selected) return false;
    if (slotTool == DrawingTool::pen) return isPenFamilyTool(*selected);
    if (slotTool == DrawingTool::rectangle) return isShapeFamilyTool(*selected);
    return *selected == slotTool;
}

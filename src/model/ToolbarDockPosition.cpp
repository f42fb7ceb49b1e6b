#include "model/ToolbarDockPosition.h"

namespace {

struct PositionInfo {
    std::string_view raw;
    const char* label;
};

constexpr PositionInfo info(ToolbarDockPosition p) {
    switch (p) {
    case ToolbarDockPosition::topCenterH: return {"topCenterH", "Top Center"};
    case ToolbarDockPosition::topLeftH: return {"topLeftH", "Top Left"};
    case ToolbarDockPosition::topRightH: return {"topRightH", "Top Right"};
    case ToolbarDockPosition::topLeftV: return {"topLeftV", "Top Left Vertical"};
    case ToolbarDockPosition::topRightV: return {"topRightV", "Top Right Vertical"};
    case ToolbarDockPosition::middleLeftV: return {"middleLeftV", "Middle Left"};
    case ToolbarDockPosition::middleRightV: return {"middleRightV", "Middle Right"};
    // The bottom corners share their labels across both layouts.
    case ToolbarDockPosition::bottomLeftV: return {"bottomLeftV", "Bottom Left"};
    case ToolbarDockPosition::bottomRightV: return {"bottomRightV", "Bottom Right"};
    case ToolbarDockPosition::bottomCenterH: return {"bottomCenterH", "Bottom Center"};
    case ToolbarDockPosition::bottomLeftH: return {"bottomLeftH", "Bottom Left"};
    case ToolbarDockPosition::bottomRightH: return {"bottomRightH", "Bottom Right"};
    }
    return {"topCenterH", "Top Center"};
}

} // namespace

std::string_view rawValue(ToolbarDockPosition position) { return info(position).raw; }

QString rawValueText(ToolbarDockPosition position) {
    const auto raw = info(position).raw;
    return QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
}

std::optional<ToolbarDockPosition> toolbarDockPositionFromRaw(QStringView raw) {
    for (auto p : kAllToolbarDockPositions) {
        if (raw == rawValueText(p)) return p;
    }
    return std::nullopt;
}

QString displayName(ToolbarDockPosition position) { return QString::fromLatin1(info(position).label); }

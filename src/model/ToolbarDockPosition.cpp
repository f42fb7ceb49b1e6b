#include "model/ToolbarDockPosition.h"

#include "platform/RawValues.h"

#include <utility>

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

template <std::size_t... I>
constexpr auto namesOf(std::index_sequence<I...>) {
    return platform::rawValueTable<ToolbarDockPosition>(
        platform::RawName<ToolbarDockPosition>{kAllToolbarDockPositions[I], info(kAllToolbarDockPositions[I]).raw}...);
}
constexpr auto kNames = namesOf(std::make_index_sequence<kAllToolbarDockPositions.size()>());

} // namespace

std::string_view rawValue(ToolbarDockPosition position) { return info(position).raw; }
QString rawValueText(ToolbarDockPosition position) { return kNames.text(position); }
std::optional<ToolbarDockPosition> toolbarDockPositionFromRaw(QStringView raw) { return kNames.parse(raw); }

QString displayName(ToolbarDockPosition position) { return QString::fromLatin1(info(position).label); }

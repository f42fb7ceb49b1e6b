#include "model/DrawingTool.h"

#include "platform/RawValues.h"

#include <utility>

namespace {

struct ToolInfo {
    std::string_view raw;
    const char* label;
};

constexpr ToolInfo info(DrawingTool tool) {
    switch (tool) {
    case DrawingTool::move: return {"hand.raised", "Move"};
    case DrawingTool::pen: return {"pencil", "Pen"};
    case DrawingTool::bezierPen: return {"scribble", "Bezier"};
    // These two labels are crossed on purpose: the tool named after the
    // brush pen paints with the flat nib, and the other way round.
    case DrawingTool::calligraphyBrush: return {"paintbrush", "Brush Pen"};
    case DrawingTool::brushPen: return {"paintbrush.pointed", "Calligraphy"};
    case DrawingTool::watercolorBrush: return {"drop.halffull", "Watercolor"};
    case DrawingTool::chalk: return {"pencil.tip", "Chalk"};
    case DrawingTool::airbrush: return {"wand.and.sparkles", "Airbrush"};
    case DrawingTool::gimpBrush: return {"paintbrush.pointed.fill", "GIMP Brush"};
    case DrawingTool::line: return {"line.diagonal", "Line"};
    case DrawingTool::arrow: return {"arrow.up.right", "Arrow"};
    case DrawingTool::rectangle: return {"rectangle", "Rect"};
    case DrawingTool::ellipse: return {"circle", "Circle"};
    case DrawingTool::triangle: return {"triangle", "Triangle"};
    case DrawingTool::diamond: return {"diamond", "Diamond"};
    case DrawingTool::pentagon: return {"pentagon", "Pentagon"};
    case DrawingTool::hexagon: return {"hexagon", "Hexagon"};
    case DrawingTool::octagon: return {"octagon", "Octagon"};
    case DrawingTool::seal: return {"seal", "Seal"};
    case DrawingTool::star: return {"star", "Star"};
    case DrawingTool::text: return {"textformat", "Text"};
    case DrawingTool::eraser: return {"eraser", "Erase"};
    }
    return {"pencil", "Pen"};
}

template <std::size_t... I>
constexpr auto namesOf(std::index_sequence<I...>) {
    return platform::rawValueTable<DrawingTool>(
        platform::RawName<DrawingTool>{kAllDrawingTools[I], info(kAllDrawingTools[I]).raw}...);
}
constexpr auto kNames = namesOf(std::make_index_sequence<kAllDrawingTools.size()>());

} // namespace

std::string_view rawValue(DrawingTool tool) { return info(tool).raw; }
QString rawValueText(DrawingTool tool) { return kNames.text(tool); }
std::optional<DrawingTool> drawingToolFromRaw(QStringView raw) { return kNames.parse(raw); }

QString displayName(DrawingTool tool) { return QString::fromLatin1(info(tool).label); }

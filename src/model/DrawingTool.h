#pragma once

// The drawing tools, their stored names, labels and families.

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <set>
#include <string_view>

// The drawing tools in toolbar order. The families used across the program
// follow this order: freehand tools pen…gimpBrush, line tools line and arrow,
// frame shapes rectangle and ellipse, polygon shapes triangle…star.
enum class DrawingTool {
    move,
    pen,
    bezierPen,
    calligraphyBrush,
    brushPen,
    watercolorBrush,
    chalk,
    airbrush,
    gimpBrush,
    line,
    arrow,
    rectangle,
    ellipse,
    triangle,
    diamond,
    pentagon,
    hexagon,
    octagon,
    seal,
    star,
    text,
    eraser,
};

inline constexpr std::array<DrawingTool, 22> kAllDrawingTools = {
    DrawingTool::move,      DrawingTool::pen,
    DrawingTool::bezierPen, DrawingTool::calligraphyBrush,
    DrawingTool::brushPen,  DrawingTool::watercolorBrush,
    DrawingTool::chalk,     DrawingTool::airbrush,
    DrawingTool::gimpBrush, DrawingTool::line,
    DrawingTool::arrow,     DrawingTool::rectangle,
    DrawingTool::ellipse,   DrawingTool::triangle,
    DrawingTool::diamond,   DrawingTool::pentagon,
    DrawingTool::hexagon,   DrawingTool::octagon,
    DrawingTool::seal,      DrawingTool::star,
    DrawingTool::text,      DrawingTool::eraser,
};

using DrawingToolSet = std::set<DrawingTool>;

// The stored value of a tool, which is also the name of its icon symbol.
std::string_view rawValue(DrawingTool tool);
QString rawValueText(DrawingTool tool);
// Exact match against the stored values; none for anything else.
std::optional<DrawingTool> drawingToolFromRaw(QStringView raw);
// The label shown in the toolbar, its submenus and the settings panel.
QString displayName(DrawingTool tool);

constexpr int toolIndex(DrawingTool tool) { return static_cast<int>(tool); }
constexpr bool isFreehandTool(DrawingTool t) { return toolIndex(t) >= 1 && toolIndex(t) <= 8; }
constexpr bool isLineTool(DrawingTool t) { return t == DrawingTool::line || t == DrawingTool::arrow; }
constexpr bool isFrameShape(DrawingTool t) { return t == DrawingTool::rectangle || t == DrawingTool::ellipse; }
constexpr bool isPolygonShape(DrawingTool t) { return toolIndex(t) >= 13 && toolIndex(t) <= 19; }

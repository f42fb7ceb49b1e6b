#pragma once

// The brush engine's painters, as the stroke renderer calls them: imported
// brush cells stamped along a stroke, and the textured chalk and watercolour
// strokes. Each draws into the painter in the stroke's own coordinates (the
// renderer has already applied the stroke's offset), leaves the painter's
// state as it found it, and repaints a stroke with identical pixels. Their
// drawn extents are in BrushStrokeExtent.h.

#include <QImage>

#include <vector>

class QPainter;
struct DrawingStroke;

namespace drawingInstructions {

// Kinds of textured stroke.
inline constexpr int kChalkKind = 0;
inline constexpr int kWatercolorKind = 1;

// Stamps the stroke's points with `cells`: brush cells already scaled to the
// stroke width and tinted in its colour (DrawingState::tintedStamps). The
// colour's alpha is applied per stamp.
void drawGIMPBrushStroke(const DrawingStroke& stroke, const std::vector<QImage>& cells, QPainter& painter);

// A chalk (kChalkKind) or watercolour (kWatercolorKind) stroke along the
// stroke's points, `lineWidth` wide.
void drawTexturedStroke(const DrawingStroke& stroke, int kind, QPainter& painter);

} // namespace drawingInstructions

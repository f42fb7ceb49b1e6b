#pragma once

// The brush engine's painters, as the stroke renderer calls them: imported
// brush cells stamped along a stroke, and the textured chalk and watercolour
// strokes. Each draws into the painter in the stroke's own coordinates (the
// renderer has already applied the stroke's offset), leaves the painter's
// state as it found it, and repaints a stroke with identical pixels.
//
// Each painter also answers its drawn extent (see model/StrokeExtent.h): the
// rectangle, in the stroke's own coordinates, outside which it changes no
// pixel.

#include <QImage>
#include <QRectF>

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

// Where brush cells stamped along the stroke can reach. A cell is drawn
// centred on the path and rotated to the direction of travel; the cells of a
// brush share one size, whose larger side is the stroke width to the nearest
// pixel (at least 1).
QRectF gimpBrushStampExtent(const DrawingStroke& stroke);

// Where the stamps of a textured stroke can reach: squares of the line width
// centred on the path, rotated, and moved up or down by the kind's jitter.
QRectF texturedStrokeExtent(const DrawingStroke& stroke, int kind);

} // namespace drawingInstructions

#pragma once

// Drawn extents of the brush engine's painters (the contract is in
// model/StrokeExtent.h): where their pixels can reach, in the stroke's own
// coordinates.

#include "brushes/BrushEngine.h"

#include <QRectF>

struct DrawingStroke;

namespace brushEngine {

// Brush cells stamped along the stroke. A cell is drawn centred on the path
// and rotated to the direction of travel; the cells of a brush share one
// size, whose larger side is the stroke width to the nearest pixel (at
// least 1).
QRectF gimpBrushStampExtent(const DrawingStroke& stroke);

// The stamps of a textured stroke: squares of the line width centred on the
// path, rotated, and moved up or down by the kind's jitter.
QRectF texturedStrokeExtent(const DrawingStroke& stroke, int kind);

} // namespace brushEngine

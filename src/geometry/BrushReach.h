#pragma once

// How far the brush engine's stamps reach from the path they are laid
// along: the drawn extents of imported-brush and textured strokes, and the
// textured kinds' jitter, which the engine's stamp walk reads from here.

#include <QPointF>
#include <QRectF>

#include <vector>

// Vertical jitter of a textured stamp, as a fraction of the line width: a
// stamp moves by at most half of it up or down.
inline constexpr double kChalkJitter = 0.24;
inline constexpr double kWatercolorJitter = 0.1;

// Brush cells stamped along `points`. A cell is drawn centred on the path
// and rotated to the direction of travel; the cells of a brush share one
// size, whose larger side is the stroke width to the nearest pixel (at
// least 1).
QRectF gimpBrushStampExtent(const std::vector<QPointF>& points, double lineWidth);

// The stamps of a textured stroke: squares of the line width centred on the
// path, rotated, and moved up or down by `jitter` (kChalkJitter,
// kWatercolorJitter).
QRectF texturedStrokeExtent(const std::vector<QPointF>& points, double lineWidth, double jitter);

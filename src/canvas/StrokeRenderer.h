#pragma once

// The one place where a stroke's tool decides which painter draws it, and
// the eraser dabs that cut strokes.

#include "model/ErasureStamp.h"

#include <QImage>
#include <QPointF>

#include <vector>

class QPainter;
struct DrawingStroke;

// Paints one stroke. A non-zero offset translates the painter first, and
// the translation stays on the painter for the caller (the stroke's
// erasures are drawn under it). Non-empty `tintedStamps` (the stroke's brush
// cells, scaled and tinted) paint any stroke as brush stamps; otherwise the
// tool's painter draws it. Erasures stored on the stroke are not applied
// here (see StrokeView).
void drawStroke(const DrawingStroke& stroke, QPainter& painter, const std::vector<QImage>& tintedStamps = {});

// The dabs of an eraser path: one at the first point, then one at each
// point at least max(r/4, 2) from the previous dab, r = 4 × lineWidth. Each
// dab has a fresh pass identifier of its own.
std::vector<ErasureStamp> erasureStamps(const DrawingStroke& stroke);

// Where the dab walk of a growing eraser path stopped: the next point to
// look at and the last dab placed. Dabs once placed never move, so a live
// eraser adds only the dabs of its new points.
struct EraserDabWalk {
    std::size_t nextPoint = 0;
    QPointF lastDab;
};
// The dabs of the points from `walk` on (pass identifiers left empty), and
// the walk moved past them.
std::vector<ErasureStamp> continueEraserDabs(const DrawingStroke& stroke, EraserDabWalk& walk);

// Fills each dab with white, opaque out to 60 % of its radius and fading to
// nothing at the radius, in the painter's current composition mode (under
// DestinationOut that cuts the dab out of what lies beneath).
void drawErasures(const std::vector<ErasureStamp>& stamps, QPainter& painter);

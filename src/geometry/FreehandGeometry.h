#pragma once

// Freehand outlines: the pen's smooth path, the calligraphy nib's sweep and
// the brush pen's speed-shaped ribbon, with the extents they reach. The pen
// is stroked with round caps and joins. The calligraphy and brush pen
// outlines are pieces that all turn the same way, filled with the winding
// rule, so that overlaps neither cancel nor darken: adding them sets that
// rule on the path.

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <cstddef>
#include <vector>

// ---- Pen ----

// Pieces `from` … `to` (1 … points − 1) of the pen's smooth path: quadratic
// curves through the midpoints. Piece k ends at the midpoint of points k and
// k + 1, the last at the last point; the first starts at the first point.
void addSmoothPathPieces(const std::vector<QPointF>& points, std::size_t from, std::size_t to, QPainterPath& path);
// Round caps and joins: never further than half the width from a sample.
QRectF penExtent(const std::vector<QPointF>& points, double width);

// ---- Calligraphy ----

// A flat nib `width` long held at −45° swept along `points`: thick across
// the nib's direction, thin along it, never thinner than 0.08 of the width.
// A single point leaves the nib's own imprint; no points add nothing.
void addCalligraphyOutline(const std::vector<QPointF>& points, double width, QPainterPath& path);
// The nib reaches half its length times (cos 45° + 0.08) along each axis.
QRectF calligraphyExtent(const std::vector<QPointF>& points, double width);

// ---- Brush pen ----

// A brush pen stroke's samples (repeats dropped), the width at each and
// their distance along the path. The width follows the pointer speed (fast
// samples are thinner), smoothed from sample to sample, and tapers at both
// ends; it depends on the stroke's length only within `taper` of either end.
struct BrushPenShape {
    std::vector<QPointF> points;
    std::vector<double> widths;
    std::vector<double> travelled;
    double width = 0;
    double taper = 0;
};
BrushPenShape brushPenShape(const std::vector<QPointF>& points, double lineWidth);
// The outline of segments [from, to) (segment i joins samples i and i + 1),
// with the round start when `from` is 0 and the round end when `to` is the
// last segment.
void addBrushPenSegments(const BrushPenShape& shape, std::size_t from, std::size_t to, QPainterPath& path);
// Never wider than the line width.
QRectF brushPenExtent(const std::vector<QPointF>& points, double lineWidth);

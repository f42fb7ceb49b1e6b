#pragma once

// The painters of the stroke kinds. Each draws one stroke into a QPainter in
// the stroke's own coordinates (the renderer has applied its offset), in the
// stroke's colour, antialiased; each leaves the painter's state as it found
// it and never fails. Painting a stroke twice gives the same pixels.
//
// Line work always sets its cap, join and miter limit explicitly (Qt's
// default pen is square-capped and bevel-joined). Qt draws nothing for a
// zero-length path, so where a path collapses to one point the painters
// fill a dot of the line width instead.
//
// The painters whose shapes are designed here answer their drawn extents
// beside them (geometry/ExtentBuilder.h holds the contract).

#include "geometry/ShapeGeometry.h"

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

class QPainter;
struct DrawingStroke;

// A smooth line through `points`: quadratic curves through the midpoints,
// with round caps and joins. Fewer than two points draw nothing.
void drawPenStroke(const DrawingStroke& stroke, QPainter& painter);

// The open cubic path through the anchors (`customVertices`, else `points`)
// with the arms of `bezierHandleIn` / `bezierHandleOut`.
void drawBezierPenStroke(const DrawingStroke& stroke, QPainter& painter);

// A flat nib `lineWidth` long held at −45° swept along `points`: thick
// across the nib's direction, thin along it, never thinner than 0.08 of the
// width.
void drawCalligraphyStroke(const DrawingStroke& stroke, QPainter& painter);

// A filled outline along `points` whose width follows the pointer speed
// (fast samples are thinner), smoothed from sample to sample, tapering at
// both ends.
void drawBrushPenStroke(const DrawingStroke& stroke, QPainter& painter);

// Soft spray along `points`: stacked strokes of decreasing width at low
// opacity, sprinkled with seeded speckle blobs.
void drawAirbrushStroke(const DrawingStroke& stroke, QPainter& painter);

// `startPoint` to `endPoint`, straight, or the quadratic curve with
// `controlPoint` as its control.
void drawLineStroke(const DrawingStroke& stroke, QPainter& painter);

// The line plus a two-stroke head at `endPoint`, each stroke
// max(5 × lineWidth, 14) long at ±30° from the line's end direction.
void drawArrowStroke(const DrawingStroke& stroke, QPainter& painter);

// Strokes the path `makePath` builds in the rectangle spanned by
// `startPoint` and `endPoint` (rectanglePath, ellipsePath).
void drawShapeOutline(const DrawingStroke& stroke, ShapePathMaker makePath, QPainter& painter);

// The closed outline through a polygon shape's vertices, cubic where the
// vertices have arms; sharp miter corners.
void drawPolygonStroke(const DrawingStroke& stroke, QPainter& painter);

// The text of a text stroke, laid out as the text hit test measures it and
// rotated about the centre of its box.
void drawTextStroke(const DrawingStroke& stroke, QPainter& painter);

// ---- Pieces of growing strokes ----
// The live stroke grows by a few samples per pointer event; these let it
// draw only the pieces that changed, exactly as the painters above would.

// Pieces `from` … `to` (1 … points − 1) of the pen's smooth path: piece k
// ends at the midpoint of points k and k + 1, the last at the last point.
void addSmoothPathPieces(const std::vector<QPointF>& points, std::size_t from, std::size_t to, QPainterPath& path);
// Strokes a path as the pen does, with round caps and joins, and a dot
// where it collapses to one point.
void strokeRoundPath(const QPainterPath& path, const QColor& color, double width, QPainter& painter);

// A brush pen stroke's samples (repeats dropped), the width at each and
// their distance along the path. The width at a sample depends on the
// stroke's length only within `taper` of either end.
struct BrushPenShape {
    std::vector<QPointF> points;
    std::vector<double> widths;
    std::vector<double> travelled;
    double width = 0;
    double taper = 0;
};
BrushPenShape brushPenShape(const DrawingStroke& stroke);
// The outline of segments [from, to) (segment i joins samples i and i + 1),
// with the round start when `from` is 0 and the round end when `to` is the
// last segment.
void addBrushPenSegments(const BrushPenShape& shape, std::size_t from, std::size_t to, QPainterPath& path);

// How much of an airbrush stroke has been drawn: its soft dabs and its
// speckle places. Both walk the path from its first point at fixed
// spacings, so what was drawn stays where it is as the stroke grows.
struct AirbrushProgress {
    std::size_t dabs = 0;
    std::uint64_t places = 0;
};
// Draws what lies beyond `progress` and moves it on; answers the area drawn.
QRectF drawAirbrushStrokeFrom(const DrawingStroke& stroke, QPainter& painter, AirbrushProgress& progress);

// ---- Drawn extents of the freehand painters designed here ----

// The nib reaches half its length times (cos 45° + 0.08) along each axis.
QRectF calligraphyExtent(const DrawingStroke& stroke);
// Never wider than the line width.
QRectF brushPenExtent(const DrawingStroke& stroke);
// The widest soft layer, or the farthest speckle with its blob's spikes.
QRectF airbrushExtent(const DrawingStroke& stroke);

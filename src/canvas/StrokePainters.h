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
// beside them (model/StrokeExtent.h holds the contract).

#include <QPainterPath>
#include <QRectF>
#include <QString>

class QPainter;
struct DrawingStroke;

// Miter joins (sharp corners and star tips) turn into bevels beyond this
// ratio of miter length to line width.
inline constexpr double kPainterMiterLimit = 10;

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

// Builds the outline of a frame shape in its rectangle.
using ShapePathMaker = QPainterPath (*)(const QRectF&);
QPainterPath rectanglePath(const QRectF& rect);
QPainterPath ellipsePath(const QRectF& rect);

// Strokes the path `makePath` builds in the rectangle spanned by
// `startPoint` and `endPoint`.
void drawShapeOutline(const DrawingStroke& stroke, ShapePathMaker makePath, QPainter& painter);

// The closed outline through a polygon shape's vertices, cubic where the
// vertices have arms; sharp miter corners.
void drawPolygonStroke(const DrawingStroke& stroke, QPainter& painter);

// The text of a text stroke, laid out as the text hit test measures it and
// rotated about the centre of its box.
void drawTextStroke(const DrawingStroke& stroke, QPainter& painter);

// ---- Drawn extents of the freehand painters designed here ----

// The nib reaches half its length times (cos 45° + 0.08) along each axis.
QRectF calligraphyExtent(const DrawingStroke& stroke);
// Never wider than the line width.
QRectF brushPenExtent(const DrawingStroke& stroke);
// The widest soft layer, or the farthest speckle with its blob's spikes.
QRectF airbrushExtent(const DrawingStroke& stroke);

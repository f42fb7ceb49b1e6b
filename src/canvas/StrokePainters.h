#pragma once

// The painters of the stroke kinds. Each draws one stroke into a QPainter in
// the stroke's own coordinates (the renderer has applied its offset), in the
// stroke's colour, antialiased; each leaves the painter's state as it found
// it and never fails. Painting a stroke twice gives the same pixels.
//
// A painter sets up its pen or brush and draws the outline that geometry/
// builds for its kind; the drawn extent of that outline is defined beside it
// in the same geometry file, so what is drawn and how far it reaches come
// from one place (model/StrokeExtent.h answers it per stroke).
//
// Line work always sets its cap, join and miter limit explicitly (Qt's
// default pen is square-capped and bevel-joined). Qt draws nothing for a
// zero-length path, so where a path collapses to one point the painters
// fill a dot of the line width instead.

#include "geometry/FreehandGeometry.h"
#include "geometry/ShapeGeometry.h"

#include <QColor>
#include <QPainterPath>
#include <QRectF>

#include <cstddef>
#include <cstdint>

class QPainter;
struct DrawingStroke;

// A smooth line through `points`: quadratic curves through the midpoints,
// with round caps and joins. Fewer than two points draw nothing.
void drawPenStroke(const DrawingStroke& stroke, QPainter& painter);

// The open cubic path through the anchors (`customVertices`, else `points`)
// with the arms of `bezierHandleIn` / `bezierHandleOut`.
void drawBezierPenStroke(const DrawingStroke& stroke, QPainter& painter);

// The calligraphy nib's outline along `points`, filled.
void drawCalligraphyStroke(const DrawingStroke& stroke, QPainter& painter);

// The brush pen's speed-shaped outline along `points`, filled.
void drawBrushPenStroke(const DrawingStroke& stroke, QPainter& painter);

// Soft spray along `points`: overlapping soft dabs at low opacity,
// sprinkled with seeded speckle blobs.
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
// draw only the pieces that changed, exactly as the painters above would,
// with the pen's smooth path pieces and the brush pen's segments that
// geometry/FreehandGeometry.h builds.

// Strokes a path as the pen does, with round caps and joins, and a dot
// where it collapses to one point.
void strokeRoundPath(const QPainterPath& path, const QColor& color, double width, QPainter& painter);

// How much of an airbrush stroke has been drawn: its soft dabs and its
// speckle places. Both walk the path from its first point at fixed
// spacings, so what was drawn stays where it is as the stroke grows.
struct AirbrushProgress {
    std::size_t dabs = 0;
    std::uint64_t places = 0;
};
// Draws what lies beyond `progress` and moves it on; answers the area drawn.
QRectF drawAirbrushStrokeFrom(const DrawingStroke& stroke, QPainter& painter, AirbrushProgress& progress);

#pragma once

// Outlined shapes: rectangles and ellipses in their frame, closed polygons
// and open Bézier paths through vertices with arms. The paths their painter
// strokes and the extents those paths reach.
//
// Arms are per-vertex offsets from their vertex (`armsIn` ending an edge at
// the vertex, `armsOut` starting one); an edge is cubic where either of its
// arms is not zero. A null list, or a list shorter than the vertices, counts
// as no arm.

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <vector>

// Builds the outline of a frame shape in its rectangle.
using ShapePathMaker = QPainterPath (*)(const QRectF&);
QPainterPath rectanglePath(const QRectF& rect);
QPainterPath ellipsePath(const QRectF& rect);

// A rectangle or an ellipse in `frame`, stroked `width` wide: a rectangle's
// right-angled miters reach exactly half the width out on both axes; an
// ellipse has no joins.
QRectF frameShapeExtent(const QRectF& frame, double width);

// Adds the closed outline through `vertices` (none: nothing).
void addPolygonPath(QPainterPath& path, const std::vector<QPointF>& vertices, const std::vector<QPointF>* armsIn,
                    const std::vector<QPointF>* armsOut);
// The closed outline stroked `width` wide with miter joins.
QRectF polygonExtent(const std::vector<QPointF>& vertices, double width, const std::vector<QPointF>* armsIn,
                     const std::vector<QPointF>* armsOut);

// Adds the open path through `anchors` (fewer than two: nothing).
void addBezierPath(QPainterPath& path, const std::vector<QPointF>& anchors, const std::vector<QPointF>* armsIn,
                   const std::vector<QPointF>* armsOut);
// The open path stroked `width` wide, with any caps and joins.
QRectF bezierPathExtent(const std::vector<QPointF>& anchors, double width, const std::vector<QPointF>* armsIn,
                        const std::vector<QPointF>* armsOut);

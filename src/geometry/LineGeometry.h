#pragma once

// Lines and arrows: the paths their painter strokes (round caps, miter
// joins) and the extents those paths reach.

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <array>
#include <optional>

// The direction a line leaves its end in: away from the control point of a
// curve (from the start when the control point is the end itself), else
// from the start. Zero when the line has no length.
QPointF lineEndDirection(QPointF start, QPointF end, const std::optional<QPointF>& control);

// An arrow head's two strokes run from the end back to these tips,
// max(5 × width, 14) long at ±30° off the reversed end direction (not zero).
double arrowHeadLength(double width);
std::array<QPointF, 2> arrowHeadTips(QPointF end, QPointF direction, double width);

// Adds the line from `start` to `end`, straight or the quadratic curve with
// `control` as its control.
void addLinePath(QPainterPath& path, QPointF start, QPointF end, const std::optional<QPointF>& control);

// Adds the line and, when its end has a direction, the head as one polyline
// tip → end → tip: a translucent arrow then does not darken where line and
// head overlap, and the head's strokes meet in a miter tip.
void addArrowPath(QPainterPath& path, QPointF start, QPointF end, const std::optional<QPointF>& control, double width);

// Where a line or an arrow stroked `width` wide reaches: the curve's bulge,
// the caps (square ones included) and the head's miter joins.
QRectF lineExtent(QPointF start, QPointF end, const std::optional<QPointF>& control, double width);
QRectF arrowExtent(QPointF start, QPointF end, const std::optional<QPointF>& control, double width);

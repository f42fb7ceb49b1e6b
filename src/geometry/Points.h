#pragma once

// Point and rectangle helpers of stroke geometry, in canvas coordinates
// (Qt's logical pixels, y growing downward).

#include <QPointF>
#include <QRectF>

#include <vector>

// Exact point comparison: QPointF's operator== is fuzzy.
inline bool samePoint(const QPointF& a, const QPointF& b) { return a.x() == b.x() && a.y() == b.y(); }

// The smallest rectangle holding the points; null for none.
QRectF pointsBounds(const std::vector<QPointF>& points);

// The points' bounds with everything within |reach| of them; null for none.
QRectF grownBounds(const std::vector<QPointF>& points, double reach);

// The frame two opposite corners span: origin at the smaller x and y, size
// the absolute differences.
QRectF frameRect(QPointF a, QPointF b);

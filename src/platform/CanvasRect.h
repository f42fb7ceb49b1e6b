#pragma once

// CoreGraphics' edge rules for rectangles in canvas coordinates (QRectF,
// y-down). QRectF::contains counts the far edges as inside and
// QRectF::intersects rejects empty rectangles; these follow platform::Rect
// instead, whose rules do not depend on the direction of y.

#include "platform/Geometry.h"

#include <QPointF>
#include <QRectF>

namespace platform {

inline Rect toRect(const QRectF& r) { return Rect(r.x(), r.y(), r.width(), r.height()); }

// Minimum edges inside, maximum edges outside.
inline bool canvasContains(const QRectF& r, QPointF p) { return toRect(r).contains(Point{p.x(), p.y()}); }

// Interiors overlap; an empty rectangle strictly inside another intersects it.
inline bool canvasIntersects(const QRectF& a, const QRectF& b) { return toRect(a).intersects(toRect(b)); }

} // namespace platform

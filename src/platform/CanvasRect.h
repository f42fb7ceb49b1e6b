#pragma once

// CoreGraphics' edge rules for rectangles in canvas coordinates (QRectF,
// y-down). QRectF::contains counts the far edges as inside; this follows
// platform::Rect instead, whose rules do not depend on the direction of y.

#include "platform/Geometry.h"

#include <QPointF>
#include <QRectF>

namespace platform {

inline Rect toRect(const QRectF& r) { return Rect(r.x(), r.y(), r.width(), r.height()); }

// Minimum edges inside, maximum edges outside.
inline bool canvasContains(const QRectF& r, QPointF p) { return toRect(r).contains(Point{p.x(), p.y()}); }

} // namespace platform

#include "platform/Geometry.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <optional>

namespace platform {

bool Rect::contains(const Rect& r) const {
    if (isNull() || r.isNull()) return false;
    return r.minX() >= minX() && r.maxX() <= maxX() && r.minY() >= minY() && r.maxY() <= maxY();
}

bool Rect::intersects(const Rect& r) const {
    if (isNull() || r.isNull()) return false;
    return minX() < r.maxX() && r.minX() < maxX() && minY() < r.maxY() && r.minY() < maxY();
}

Rect Rect::intersection(const Rect& r) const {
    if (!intersects(r)) return null();
    const double x0 = std::max(minX(), r.minX());
    const double y0 = std::max(minY(), r.minY());
    const double x1 = std::min(maxX(), r.maxX());
    const double y1 = std::min(maxY(), r.maxY());
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect Rect::united(const Rect& r) const {
    if (isNull()) return r;
    if (r.isNull()) return *this;
    const double x0 = std::min(minX(), r.minX());
    const double y0 = std::min(minY(), r.minY());
    const double x1 = std::max(maxX(), r.maxX());
    const double y1 = std::max(maxY(), r.maxY());
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect Rect::insetBy(double dx, double dy) const {
    if (isNull()) return *this;
    Rect s = standardized();
    s.origin.x += dx;
    s.origin.y += dy;
    s.size.width -= 2 * dx;
    s.size.height -= 2 * dy;
    if (s.size.width < 0 || s.size.height < 0) return null();
    return s;
}

namespace {

// The start of a span of `length` at `start` kept inside [lo, hi]: the bound
// applied last wins for a span longer than the room.
double keptStart(double start, double length, double lo, double hi, KeptEdge tie) {
    if (tie == KeptEdge::minEdge) return std::max(lo, std::min(start, hi - length));
    return std::min(hi - length, std::max(start, lo));
}

} // namespace

Rect keptInside(const Rect& frame, const Rect& bounds, KeepInsideTie tie) {
    return Rect(Point(keptStart(frame.minX(), frame.width(), bounds.minX(), bounds.maxX(), tie.x),
                      keptStart(frame.minY(), frame.height(), bounds.minY(), bounds.maxY(), tie.y)),
                frame.size);
}

Point toScreen(const QPointF& global, const QRect& primary) {
    const double bottom = primary.y() + primary.height();
    return Point{global.x() - primary.x(), bottom - global.y()};
}

QPointF toGlobal(const Point& p, const QRect& primary) {
    const double bottom = primary.y() + primary.height();
    return QPointF(p.x + primary.x(), bottom - p.y);
}

Rect toScreen(const QRectF& global, const QRect& primary) {
    const double bottom = primary.y() + primary.height();
    return Rect(global.x() - primary.x(), bottom - (global.y() + global.height()), global.width(), global.height());
}

QRectF toGlobal(const Rect& r, const QRect& primary) {
    const Rect s = r.standardized();
    const double bottom = primary.y() + primary.height();
    return QRectF(s.minX() + primary.x(), bottom - s.maxY(), s.width(), s.height());
}

namespace {
std::optional<QRect>& notedPrimary() {
    static std::optional<QRect> rect;
    return rect;
}
} // namespace

QRect primaryRootRect() {
    if (const auto& noted = notedPrimary()) return *noted;
    if (auto* screen = QGuiApplication::primaryScreen()) return screen->geometry();
    return QRect();
}

void notePrimaryRootRect(const QRect& primaryInRoot) { notedPrimary() = primaryInRoot; }

Point toScreen(const QPointF& global) { return toScreen(global, primaryRootRect()); }
QPointF toGlobal(const Point& p) { return toGlobal(p, primaryRootRect()); }
Rect toScreen(const QRectF& global) { return toScreen(global, primaryRootRect()); }
QRectF toGlobal(const Rect& r) { return toGlobal(r, primaryRootRect()); }

} // namespace platform

#include "app/PointerRegion.h"

#include "platform/CanvasRect.h"

namespace {

// The first of 0 … n at which `pred` holds, for a predicate that, once
// true, stays true (n: never).
template <typename Pred>
int firstWhere(int n, Pred pred) {
    int lo = 0, hi = n;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (pred(mid)) hi = mid;
        else lo = mid + 1;
    }
    return lo;
}

// The window pixels that a rectangle of screen space holds, as the rule
// tests the pointer on them (Rect::containsPointer).
QRect pixelsOf(const platform::Rect& r, const PointerRegionInput& in) {
    const int w = in.pixels.width(), h = in.pixels.height();
    const auto x = [&](int px) { return in.locationAt(QPoint(px, 0)).x; };
    const auto y = [&](int py) { return in.locationAt(QPoint(0, py)).y; };
    const int left = firstWhere(w, [&](int px) { return x(px) >= r.minX(); });
    const int right = firstWhere(w, [&](int px) { return x(px) >= r.maxX(); });
    // y falls as rows go down; a pixel lies below its location, so the top
    // edge holds the row whose location is on it.
    const int top = firstWhere(h, [&](int py) { return y(py) <= r.maxY(); });
    const int bottom = firstWhere(h, [&](int py) { return y(py) <= r.minY(); });
    if (right <= left || bottom <= top) return {};
    return QRect(left, top, right - left, bottom - top);
}

// The window pixels whose content point a passthrough rectangle holds.
QRect pixelsOfContentRect(const QRectF& r, const PointerRegionInput& in) {
    const platform::Rect c = platform::toRect(r);
    const int w = in.pixels.width(), h = in.pixels.height();
    const auto x = [&](int px) { return in.viewPointOf(in.locationAt(QPoint(px, 0))).x(); };
    const auto y = [&](int py) { return in.viewPointOf(in.locationAt(QPoint(0, py))).y(); };
    const int left = firstWhere(w, [&](int px) { return x(px) >= c.minX(); });
    const int right = firstWhere(w, [&](int px) { return x(px) >= c.maxX(); });
    const int top = firstWhere(h, [&](int py) { return y(py) >= c.minY(); });
    const int bottom = firstWhere(h, [&](int py) { return y(py) >= c.maxY(); });
    if (right <= left || bottom <= top) return {};
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

PointerRegionParts pointerRegionParts(const PointerRegionInput& in) {
    const PointerModes& m = in.modes;
    if (m.captureAll || m.isPickingAttachWindow || m.isImportingBrushes || !in.hasContentView) return {};
    if (in.pixels.isEmpty() || !in.locationAt || !in.viewPointOf) return {};
    const QRect all(QPoint(0, 0), in.pixels);

    QRegion allowed = QRegion(pixelsOf(in.windowFrame, in)) & all;
    // The first screen holding a point says whether it is visible: the
    // panels along its edges keep their clicks.
    QRegion covered;
    for (const platform::Screen& screen : in.screens) {
        const QRegion part = QRegion(pixelsOf(screen.frame, in)) - covered;
        allowed -= part - QRegion(pixelsOf(screen.visibleFrame, in));
        covered += part;
    }
    for (const platform::Rect& frame : in.ourWindows) allowed -= QRegion(pixelsOf(frame, in));
    for (const QRectF& r : in.passthroughRects) allowed -= QRegion(pixelsOfContentRect(r, in));
    if (allowed.isEmpty()) return {};
    return {allowed, !m.takesEverywhere()};
}

QRegion pointerRegion(const PointerRegionInput& in) {
    PointerRegionParts parts = pointerRegionParts(in);
    if (!parts.overStrokesOnly) return parts.allowed;
    // Passthrough: only where a placed stroke takes the pointer.
    if (!in.strokeRegion) return {};
    return in.strokeRegion() & parts.allowed;
}

#pragma once

// Whether the pointer is over a placed stroke. The overlays ask on every
// pointer move, over every stroke, so each stroke's hit extent is kept (and
// kept up to date stroke by stroke) and most strokes are passed by with one
// rectangle test.

#include <QPointF>
#include <QRectF>

#include <cstdint>
#include <optional>
#include <vector>

struct DrawingStroke;

// The band around a stroke's outline that takes the pointer, compared strictly.
double hitTolerance(double lineWidth);

// The per-tool hit test of one stroke; `point` is in canvas coordinates (the
// stroke's pending offset is taken off here).
bool strokeHitTest(const DrawingStroke& stroke, QPointF point);

// A rectangle, in the stroke's own coordinates, outside which strokeHitTest
// is always false (it includes the tolerance band); null when the stroke can
// never be hit.
QRectF hitExtent(const DrawingStroke& stroke);

class StrokeList;

class StrokeHitIndex {
public:
    explicit StrokeHitIndex(const StrokeList& strokes);
    StrokeHitIndex(const StrokeHitIndex&) = delete;
    StrokeHitIndex& operator=(const StrokeHitIndex&) = delete;

    // hitExtent of each stroke, in the order of the strokes as they are now.
    // Catches up with the strokes changed since the last call, one by one.
    const std::vector<QRectF>& extents() const;

private:
    const StrokeList& strokes_;
    mutable std::vector<QRectF> extents_;
    // The strokes' revision the extents are of; none: never built.
    mutable std::optional<std::uint64_t> revision_;
};

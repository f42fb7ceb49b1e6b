#pragma once

// Whether the pointer is over a placed stroke. The overlays ask on every
// pointer move, over every stroke, so each stroke's hit extent is kept until
// the strokes change and most strokes are passed by with one rectangle test.

#include "platform/Published.h"
#include "platform/Subscription.h"

#include <QPointF>
#include <QRectF>

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

class StrokeHitIndex {
public:
    explicit StrokeHitIndex(platform::Published<std::vector<DrawingStroke>>& strokes);
    StrokeHitIndex(const StrokeHitIndex&) = delete;
    StrokeHitIndex& operator=(const StrokeHitIndex&) = delete;

    // hitExtent of each stroke, in the order of the strokes as they are now.
    const std::vector<QRectF>& extents() const;

private:
    const platform::Published<std::vector<DrawingStroke>>& strokes_;
    platform::Subscription subscription_;
    mutable std::vector<QRectF> extents_;
    mutable bool stale_ = true;
    mutable bool announced_ = false;
    // The list announced last. Subscribers hear of a change before it is
    // stored; a rebuild in that window reads the old list and must not count
    // as current.
    const DrawingStroke* announcedData_ = nullptr;
    std::size_t announcedSize_ = 0;
};

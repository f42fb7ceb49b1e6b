// Whether the pointer is over a placed stroke.

#include "model/DrawingState.h"

#include "platform/Dispatch.h"

bool DrawingState::hasStroke(const QPointF& point, DisplayID displayID) const {
    platform::assertMainThread("DrawingState::hasStroke");
    const auto& list = strokes.get();
    const auto& extents = hitIndex_.extents();
    std::optional<DisplayID> first; // read once, and only when a stroke of display 0 asks
    for (std::size_t i = list.size(); i-- > 0;) {
        const DrawingStroke& s = list[i];
        // Only the asking overlay's strokes take its pointer.
        if (s.displayID != displayID) {
            if (s.displayID != 0) continue;
            if (!first) first = firstScreenDisplayID();
            if (displayID != *first) continue;
        }
        const QRectF& e = extents[i];
        if (e.isNull()) continue;
        const double qx = point.x() - s.offset.width(), qy = point.y() - s.offset.height();
        if (qx < e.left() || qx > e.right() || qy < e.top() || qy > e.bottom()) continue;
        if (strokeHitTest(s, point)) return true;
    }
    return false;
}

bool DrawingState::strokeContains(const DrawingStroke& stroke, const QPointF& point) const {
    return strokeHitTest(stroke, point);
}

// Whether the pointer is over a placed stroke.

#include "model/DrawingState.h"

bool DrawingState::hasStroke(const QPointF& point, DisplayID displayID) const {
    (void)point;
    (void)displayID;
    return false;
}

bool DrawingState::strokeContains(const DrawingStroke& stroke, const QPointF& point) const {
    (void)stroke;
    (void)point;
    return false;
}

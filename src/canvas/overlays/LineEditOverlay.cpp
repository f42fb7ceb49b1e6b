// Line and arrow editing: ends and the middle of the curve.

#include "canvas/overlays/LineEditOverlay.h"

LineEditOverlay::LineEditOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate, QWidget* parent)
    : HandleDragOverlay(stroke, std::move(onUpdate), parent) {}

QPointF LineEditOverlay::curveMiddle(const DrawingStroke& s) {
    const QPointF chordMiddle = (s.startPoint + s.endPoint) / 2;
    if (!s.controlPoint) return chordMiddle;
    // A quadratic at t = ½: a quarter of each end and half the control.
    return chordMiddle / 2 + *s.controlPoint / 2;
}

std::vector<QPointF> LineEditOverlay::handles(const DrawingStroke& stroke) const {
    return {stroke.startPoint, curveMiddle(stroke), stroke.endPoint};
}

DrawingStroke LineEditOverlay::dragged(const DrawingStroke& start, std::size_t handle, QPointF to) const {
    DrawingStroke s = start;
    switch (handle) {
    case Handle::start: s.startPoint = to; break;
    case Handle::end: s.endPoint = to; break;
    case Handle::middle:
        // The control point that puts the curve's middle at `to`.
        s.controlPoint = to * 2 - (s.startPoint + s.endPoint) / 2;
        break;
    default: break;
    }
    return s;
}

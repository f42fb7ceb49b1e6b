#pragma once

// Whether a press on the canvas lands on a stroke: the test that picks the
// stroke a drag moves, the stroke a double-click opens, and whether a press
// falls on the stroke under edit.

#include <QPointF>

struct DrawingStroke;

// True when `point`, in canvas coordinates, lies within the stroke's hit
// tolerance, its pending move included. The pointer's own test over every
// tool but the bezier pen: a bezier path is tested along the curves it is
// drawn with, not along the chords between its anchors.
bool canvasHitTest(const DrawingStroke& stroke, QPointF point);

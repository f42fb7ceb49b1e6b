#pragma once

// Whether a press on the canvas lands on a stroke: the test that picks the
// stroke a drag moves, the stroke a double-click opens, and whether a press
// falls on the stroke under edit.

#include <QPointF>

struct DrawingStroke;

// True when `point`, in canvas coordinates, lies within the stroke's hit
// tolerance, its pending move included.
bool canvasHitTest(const DrawingStroke& stroke, QPointF point);

// The canvas's hit test.

#include "canvas/CanvasHitTest.h"

#include "model/DrawingStroke.h"
#include "model/StrokeHitIndex.h"

bool canvasHitTest(const DrawingStroke& stroke, QPointF point) { return strokeHitTest(stroke, point); }

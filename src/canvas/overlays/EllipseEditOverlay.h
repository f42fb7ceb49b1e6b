#pragma once

// The edit overlay of an ellipse: the corners of its frame, as for a
// rectangle; the stroke's own painter draws the ellipse.

#include "canvas/overlays/ShapeEditOverlay.h"

class EllipseEditOverlay : public ShapeEditOverlay {
public:
    using ShapeEditOverlay::ShapeEditOverlay;
};

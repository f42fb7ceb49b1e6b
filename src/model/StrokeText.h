#pragma once

// A text stroke's layout and hit test, read from the stroke's fields.

#include "geometry/TextLayout.h"

#include <QPointF>

struct DrawingStroke;

// The layout of the stroke's text in the box its start and end points span.
TextLayout layoutText(const DrawingStroke& stroke);

// The hit test of a text stroke: only its measured lines count, no
// tolerance. `p` is already corrected for the stroke's offset.
bool textStroke(const DrawingStroke& stroke, QPointF p);

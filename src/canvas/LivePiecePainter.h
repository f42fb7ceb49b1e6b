#pragma once

// How a growing live stroke is drawn piece by piece (see LiveStrokeLayer):
// the part that the next pointer event can no longer change is drawn once,
// the tail afresh each time. Painters of one outline draw in the stroke's
// colour made opaque (the layer applies the colour's opacity), in runs that
// overlap by one piece: the layer merges them by taking the more opaque
// pixel, which leaves neither seams nor darker edges. Stamped strokes draw
// in their colour, each stamp once.

#include "model/DrawingStroke.h"

#include <QImage>
#include <QRectF>

#include <memory>
#include <vector>

class QPainter;

class LivePiecePainter {
public:
    virtual ~LivePiecePainter() = default;

    // Takes the stroke as it is now, if it continues the one drawn so far:
    // the same tool and style, and every piece drawn as final still part of
    // it. A painter just made takes any stroke of its kind. The stroke and
    // stamps must stay as they are until the pieces below are drawn.
    virtual bool accept(const DrawingStroke& stroke, const std::vector<QImage>& stamps) = 0;

    // Where drawFinal will draw, in logical coordinates (null: nothing).
    // Painters of one outline answer it before drawing, since their pieces
    // are drawn apart and then merged; stamping painters may answer null
    // and report what they drew.
    virtual QRectF finalExtent() { return QRectF(); }
    // Draws the pieces of the accepted stroke that became final since the
    // last call; answers the area drawn.
    virtual QRectF drawFinal(QPainter& painter) = 0;

    // Where the tail of the accepted stroke (everything not final) can
    // reach; null when there is none.
    virtual QRectF tailExtent() = 0;
    virtual void drawTail(QPainter& painter) = 0;
};

// Whether the stroke is drawn as one outline, whose colour's opacity is
// applied to the whole (rather than stamp by stamp).
bool paintsOneOutline(const DrawingStroke& stroke, const std::vector<QImage>& stamps);

// The painter for a live stroke of this kind.
std::unique_ptr<LivePiecePainter> makeLivePiecePainter(const DrawingStroke& stroke, const std::vector<QImage>& stamps);

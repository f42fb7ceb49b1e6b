#pragma once

// How a growing live stroke is drawn piece by piece (see LiveStrokeLayer):
// the part that the next pointer event can no longer change is drawn once,
// the tail afresh each time. Painters of one outline draw in the stroke's
// colour made opaque (the layer applies the colour's opacity); stamped
// strokes draw in their colour.

#include "model/DrawingStroke.h"

#include <QImage>
#include <QRectF>

#include <memory>
#include <vector>

class QPainter;

class LivePiecePainter {
public:
    virtual ~LivePiecePainter() = default;

    // Whether `stroke` continues the stroke drawn so far: the same tool and
    // style, and every piece drawn as final still part of it.
    virtual bool continues(const DrawingStroke& stroke, const std::vector<QImage>& stamps) const = 0;

    // Draws the pieces of `stroke` that became final since the last call,
    // in logical coordinates; answers the area drawn (null: nothing).
    virtual QRectF drawFinal(const DrawingStroke& stroke, const std::vector<QImage>& stamps, QPainter& painter) = 0;

    // Where the tail of `stroke` (everything not final) can reach; null
    // when there is none. Called before drawTail with the same stroke.
    virtual QRectF tailExtent(const DrawingStroke& stroke, const std::vector<QImage>& stamps) = 0;
    virtual void drawTail(const DrawingStroke& stroke, const std::vector<QImage>& stamps, QPainter& painter) = 0;
};

// Whether the stroke is drawn as one outline, whose colour's opacity is
// applied to the whole (rather than stamp by stamp).
bool paintsOneOutline(const DrawingStroke& stroke, const std::vector<QImage>& stamps);

// The painter for a live stroke of this kind.
std::unique_ptr<LivePiecePainter> makeLivePiecePainter(const DrawingStroke& stroke, const std::vector<QImage>& stamps);

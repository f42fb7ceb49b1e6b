#pragma once

// What draws one stroke: the stroke and its scaled, tinted brush cells.

#include "model/DrawingStroke.h"

#include <QImage>

#include <vector>

class QPainter;

// What shows one stroke: the stroke with its offset and erasures, and the
// brush cells (scaled and tinted) it is stamped with, empty for every
// stroke that is not painted with brush stamps.
struct StrokeView {
    DrawingStroke stroke;
    std::vector<QImage> tintedStamps;

    // Paints the stroke and cuts its erasures out of its own pixels only:
    // a stroke with erasures is drawn into a layer of its own, as large as
    // its drawn extent within the painter's clip and device, whose dabs are
    // removed before it is laid onto the target in the painter's
    // composition mode. Without erasures it draws straight into the target.
    // The painter's state is left as it was.
    void render(QPainter& painter) const;
    // The stroke alone as a window without a compositing manager shows it
    // (see SolidPixels): drawn into a layer, then each pixel laid on at
    // full opacity in its colour where it covers at least half, else left
    // as it was.
    void renderSolid(QPainter& painter) const;

    // Equal strokes and the same image objects in the same order: stamps
    // from the tinted-stamp cache keep their identity from one update to
    // the next, so comparing identities is enough and costs one pass.
    friend bool operator==(const StrokeView& a, const StrokeView& b);

private:
    void renderThroughLayer(QPainter& painter, bool solid) const;
};

// The same image objects in the same order.
bool sameStampImages(const std::vector<QImage>& a, const std::vector<QImage>& b);

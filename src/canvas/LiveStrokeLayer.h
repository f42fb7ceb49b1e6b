#pragma once

// The live stroke of a drag, drawn into layers of its own at device
// resolution and laid over the placed strokes when the canvas repaints.
//
// The part of the stroke that can no longer change is drawn once into a
// canvas-sized layer as the stroke grows; the rest (the tail, which the
// next pointer event may still change) is drawn afresh each time into a
// small layer of its own. Strokes that paint one outline (pens, lines,
// shapes) are drawn opaque and laid on with their colour's opacity, so
// pieces drawn over each other leave no darker beads; stamped strokes are
// drawn in their colour, each stamp once. A live eraser cuts its dabs out of
// the strokes beneath it, in the composite only.

#include "model/DrawingStroke.h"

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <memory>
#include <vector>

class QPainter;
class LivePiecePainter;

class LiveStrokeLayer {
public:
    LiveStrokeLayer();
    ~LiveStrokeLayer();
    LiveStrokeLayer(const LiveStrokeLayer&) = delete;
    LiveStrokeLayer& operator=(const LiveStrokeLayer&) = delete;

    // The canvas size in logical pixels and its device pixel ratio; a change
    // drops what is drawn.
    void setGeometry(QSize logicalSize, double devicePixelRatio);

    // Shows `stroke` (none: nothing) with the tinted cells it is stamped
    // with. Answers the area to repaint, in logical pixels.
    QRegion show(const DrawingStroke* stroke, const std::vector<QImage>& stamps);

    bool isShowing() const { return showing_; }

    // Lays `stroke`, when it is the stroke shown brought to its end, onto
    // `target` (device pixels, within `deviceClip`) as the canvas shows it,
    // raising `cover` (null: none kept) by its pixels, and stops showing it,
    // adding the area it showed to `shown`. Answers false, changing nothing,
    // for a stroke that drawing afresh would not match pixel for pixel
    // within antialiasing: another stroke, a stamped one, an eraser's.
    bool layOn(const DrawingStroke& stroke, QPainter& target, const QRect& deviceClip, QRegion& shown,
               QImage* cover = nullptr);

    // Paints `logicalRect` of the canvas: the placed strokes from `strokes`
    // (device pixels, as StrokeCache keeps them; null paints none) with the
    // live stroke laid over them. Replaces what the target held there.
    void paint(QPainter& target, const QRect& logicalRect, const QImage& strokes);
    // The same as shown without a compositing manager (see SolidPixels):
    // `cover` holds the placed strokes' covers (null: none), and the live
    // stroke's own are added.
    void paintSolid(QPainter& target, const QRect& logicalRect, const QImage& strokes, const QImage& cover);

private:
    void clearLayers();
    QRect toDevice(const QRectF& logical) const;
    QRect deviceArea(const QRect& logicalRect) const;
    // The live stroke's own pixels within `d` (before its opacity, for a
    // stroke drawn opaque): the layer alone, or the layer and the tail made
    // one into the scratch image, whose pixel (0, 0) is then d's top-left.
    // Sets `at` to where the answer's pixel (0, 0) lies.
    const QImage& ownPixels(const QRect& d, QPoint& at);
    QRegion toLogical(const QRect& device) const;
    static QImage& sized(QImage& buffer, QSize size, QImage::Format format = QImage::Format_ARGB32_Premultiplied);

    QSize logicalSize_;
    double dpr_ = 1;
    bool showing_ = false;
    bool cuts_ = false;          // an eraser: dabs cut the strokes beneath
    bool merges_ = false;        // one outline drawn in overlapping runs
    double opacity_ = 1;         // laid on with this opacity
    int strokeOpacity255_ = 255; // the stroke's own, however it is laid on
    QUuid shownID_;              // the stroke shown
    std::unique_ptr<LivePiecePainter> painter_;
    QImage layer_;      // device size; the final part of the stroke
    QRect layerBounds_; // where layer_ holds pixels
    QImage tail_;       // the tail, at tailRect_
    QRect tailRect_;
    QImage run_; // a run of final pieces, before it is merged
    QImage scratch_;
    QImage solid_;      // the pixels shown solid, before they reach the target
    QImage solidCover_; // and their covers
};

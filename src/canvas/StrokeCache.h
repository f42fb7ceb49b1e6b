#pragma once

// The placed strokes of one canvas kept as one image at device resolution,
// so that a repaint copies pixels instead of drawing every stroke.
//
// Each sync compares the strokes with the ones drawn last. Strokes added on
// top are drawn onto the image. Anything else that changed (a stroke
// removed, restyled, moved, brought to the top, given erasures) clears the
// area where its pixels changed, and the strokes there are drawn again in
// order, clipped to it; erasures are cut out of each stroke's own layer by
// StrokeView, so strokes beneath stay whole. For a stroke given erasures
// that area is only where its new dabs lie.
//
// The topmost strokes also keep the pixels that lay beneath them, so that
// taking the top stroke away (an undo) or changing it (a restyle, a move)
// costs that stroke alone, however many strokes lie beneath. These copies
// are bounded in bytes.
//
// Asked to, it also keeps the strokes' cover of each pixel (see SolidPixels),
// for showing the drawing without a compositing manager.

#include "canvas/StrokeView.h"
#include "model/DrawingStroke.h"

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

class StrokeCache {
public:
    // The tinted brush cells a stroke is stamped with (empty for most).
    using StampSource = std::function<std::vector<QImage>(const DrawingStroke&)>;

    // Lays a stroke whose pixels are drawn already (the live stroke just
    // placed) onto the image through `devicePainter`, within `deviceClip`,
    // raising `cover` (when kept, else null) by its pixels; answers false
    // where it cannot, and the stroke is drawn afresh.
    using Prepainted =
        std::function<bool(const DrawingStroke&, QPainter& devicePainter, const QRect& deviceClip, QImage* cover)>;

    // The most the copies of pixels beneath the top strokes may hold.
    static constexpr std::size_t kBackupBudgetBytes = 48u << 20;
    // Copies are kept for this many of the topmost strokes at most: a few
    // more than the undo history reaches.
    static constexpr std::size_t kBackupStrokes = 64;

    // The canvas size in logical pixels and its device pixel ratio. A change
    // drops the image: the next sync draws everything afresh.
    void setGeometry(QSize logicalSize, double devicePixelRatio);
    QSize logicalSize() const { return logicalSize_; }
    double devicePixelRatio() const { return dpr_; }

    // Brings the image in line with `strokes`, the canvas's strokes in
    // drawing order. Answers the area whose pixels changed, in logical
    // pixels.
    QRegion sync(const std::vector<const DrawingStroke*>& strokes, const StampSource& stamps);
    // The same, for a caller who knows that the `bottom` strokes drawn last
    // are still there as they were (stamps included), and that `above` are
    // the strokes over them now: the ones below are neither compared nor
    // even looked at.
    QRegion syncAbove(std::size_t bottom, const std::vector<const DrawingStroke*>& above, const StampSource& stamps);

    // Asks again for the stamps of every stroke with a brush (its cells may
    // have loaded since) and redraws the strokes whose stamps changed.
    QRegion refreshStamps(const StampSource& stamps);

    // Device pixels (the image's own ratio is 1); null while no stroke is
    // drawn.
    const QImage& image() const { return image_; }

    // Whether the covers are kept. A change forgets every stroke: the next
    // sync draws them all afresh.
    void setKeepsCover(bool keeps);
    bool keepsCover() const { return keepsCover_; }
    // The cover of each pixel of the image, 8 bits each; null while the image
    // is or the covers are not kept.
    const QImage& cover() const { return cover_; }
    std::size_t strokeCount() const { return entries_.size(); }
    // How many strokes the last sync or refresh drew, for measurements.
    std::size_t lastDrawCount() const { return lastDrawCount_; }
    std::size_t backupBytes() const { return backupBytes_; }

    // Frees the image and forgets the strokes.
    void clear();

    // Asked first whenever a stroke is added on top.
    void setPrepainted(Prepainted prepainted) { prepainted_ = std::move(prepainted); }

private:
    struct Entry {
        StrokeView view;
        // Device pixels the stroke may change; empty when it paints nothing.
        QRect device;
        // The pixels of the strokes beneath it within `device` (clipped to
        // the image), while they are known; and their covers, when kept.
        std::optional<QImage> beneath;
        QImage coverBeneath;
    };

    Entry makeEntry(const DrawingStroke& stroke, std::vector<QImage> stamps) const;
    QRect deviceRect(const QRectF& logical) const;
    QRegion toLogical(const std::vector<QRect>& deviceRects) const;
    QRegion rebuild();
    QRegion redraw(std::vector<QRect> dirty, bool keepTopBeneath);
    // The device area where `now` differs from what `old` drew.
    void changedArea(const Entry& old, const Entry& now, std::vector<QRect>& dirty) const;

    void drawOnTop(Entry& entry, QPainter& painter);
    // Draws the stroke of `entry` within `deviceClip` through `painter`
    // (scaled to logical pixels), raising the covers when kept.
    void draw(const Entry& entry, QPainter& painter, const QRect& deviceClip);
    static std::size_t bytesBeneath(const Entry& entry);
    // Frees a large layer once a sync is done with it.
    void trimLayer();
    struct LayerTrim {
        StrokeCache& cache;
        explicit LayerTrim(StrokeCache& c) : cache(c) {}
        ~LayerTrim() { cache.trimLayer(); }
    };
    void saveBeneath(Entry& entry);
    // Forgets the copies of the strokes in [from, to).
    void dropBeneath(std::size_t from, std::size_t to);
    void trimBackups();
    bool restoreBeneath(const Entry& entry);

    QSize logicalSize_;
    double dpr_ = 1;
    QImage image_;
    bool keepsCover_ = false;
    QImage cover_;
    QImage layer_; // one stroke's own pixels, while the covers are kept
    std::vector<Entry> entries_;
    std::size_t lastDrawCount_ = 0;
    std::size_t backupBytes_ = 0;
    // No stroke below this index keeps a copy of what lies beneath it.
    std::size_t backupFloor_ = 0;
    Prepainted prepainted_;
};

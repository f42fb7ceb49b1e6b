#include "canvas/StrokeCache.h"

#include "canvas/DevicePixels.h"
#include "canvas/SolidPixels.h"
#include "model/StrokeExtent.h"

#include <QHash>
#include <QPainter>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Antialiasing may touch a pixel beyond a drawn extent; two device pixels
// also cover the rounding of a fractional pixel ratio.
constexpr int kDeviceMargin = 2;

// Above this share of the image a change redraws everything: clipping to
// many scattered rectangles would cost more.
constexpr double kFullRedrawShare = 0.5;

// A layer for one stroke's own pixels larger than this is not kept between
// syncs.
constexpr qsizetype kKeptLayerPixels = 1920 * 1080;

std::vector<QImage> stampsOf(const DrawingStroke& stroke, const StrokeCache::StampSource& stamps) {
    if (!stroke.gimpBrushID || !stamps) return {};
    return stamps(stroke);
}

bool samePoints(const std::vector<QPointF>& a, const std::vector<QPointF>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(QPointF)) == 0);
}

bool samePoints(const std::optional<std::vector<QPointF>>& a, const std::optional<std::vector<QPointF>>& b) {
    return a.has_value() == b.has_value() && (!a || samePoints(*a, *b));
}

// Every field but the erasures, point lists compared byte for byte: the
// sync compares every stroke on every change, and this is its inner loop.
// A difference it sees where operator== sees none (0 and −0) only costs a
// redraw.
bool sameExceptErasures(const DrawingStroke& a, const DrawingStroke& b) {
    static_assert(sizeof(void*) != 8 || sizeof(DrawingStroke) == 376,
                  "a field was added to DrawingStroke: compare it here too");
    return a.id == b.id && a.tool == b.tool && a.color == b.color && a.lineWidth == b.lineWidth &&
           a.displayID == b.displayID && a.offset.width() == b.offset.width() &&
           a.offset.height() == b.offset.height() &&
           (a.points.sharesWith(b.points) || samePoints(a.points.get(), b.points.get())) &&
           samePoint(a.startPoint, b.startPoint) && samePoint(a.endPoint, b.endPoint) &&
           a.controlPoint.has_value() == b.controlPoint.has_value() &&
           (!a.controlPoint || samePoint(*a.controlPoint, *b.controlPoint)) && a.text == b.text &&
           a.fontName == b.fontName && a.explicitFontSize == b.explicitFontSize &&
           a.rotationDegrees == b.rotationDegrees && samePoints(a.customVertices, b.customVertices) &&
           samePoints(a.bezierHandleIn, b.bezierHandleIn) && samePoints(a.bezierHandleOut, b.bezierHandleOut) &&
           a.gimpBrushID == b.gimpBrushID && a.gimpSpacing == b.gimpSpacing &&
           a.gimpCellSelection == b.gimpCellSelection;
}

bool sameStroke(const DrawingStroke& a, const DrawingStroke& b) {
    return sameExceptErasures(a, b) && a.erasures == b.erasures;
}

// Overlapping rectangles become their union, so no pixel is cleared and
// redrawn twice.
std::vector<QRect> merged(std::vector<QRect> rects) {
    bool changed = true;
    while (changed) {
        changed = false;
        for (std::size_t i = 0; i < rects.size(); ++i) {
            for (std::size_t j = i + 1; j < rects.size();) {
                if (rects[i].intersects(rects[j])) {
                    rects[i] |= rects[j];
                    rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(j));
                    changed = true;
                } else {
                    ++j;
                }
            }
        }
    }
    return rects;
}

// Copies `from` into `image` (of the same depth) at `at`, row by row.
void blit(QImage& image, const QImage& from, QPoint at) {
    const QRect r = QRect(at, from.size()) & image.rect();
    const int bytes = image.depth() / 8;
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::memcpy(image.scanLine(y) + bytes * r.left(), from.constScanLine(y - at.y()) + bytes * (r.left() - at.x()),
                    static_cast<std::size_t>(bytes) * static_cast<std::size_t>(r.width()));
}

// Clears `r` of `image`, row by row.
void clearRect(QImage& image, const QRect& r) {
    const QRect c = r & image.rect();
    const int bytes = image.depth() / 8;
    for (int y = c.top(); y <= c.bottom(); ++y)
        std::memset(image.scanLine(y) + bytes * c.left(), 0,
                    static_cast<std::size_t>(bytes) * static_cast<std::size_t>(c.width()));
}

std::size_t bytesOf(const QImage& image) { return static_cast<std::size_t>(image.sizeInBytes()); }

} // namespace

void StrokeCache::setGeometry(QSize logicalSize, double devicePixelRatio) {
    if (!(devicePixelRatio > 0)) devicePixelRatio = 1;
    if (logicalSize == logicalSize_ && devicePixelRatio == dpr_) return;
    logicalSize_ = logicalSize;
    dpr_ = devicePixelRatio;
    image_ = QImage();
    cover_ = QImage();
    // Extents in device pixels change with the ratio.
    entries_.clear();
    backupBytes_ = 0;
    backupFloor_ = 0;
}

void StrokeCache::clear() {
    image_ = QImage();
    cover_ = QImage();
    entries_.clear();
    backupBytes_ = 0;
    backupFloor_ = 0;
}

void StrokeCache::setKeepsCover(bool keeps) {
    if (keeps == keepsCover_) return;
    keepsCover_ = keeps;
    // Drawn through a layer of their own or not, the strokes' pixels may
    // differ by a rounding: all of them are drawn again one way.
    clear();
    layer_ = QImage();
}

QRect StrokeCache::deviceRect(const QRectF& e) const {
    if (e.isNull() || !std::isfinite(e.x()) || !std::isfinite(e.y()) || !std::isfinite(e.width()) ||
        !std::isfinite(e.height()))
        return QRect();
    // Far beyond the canvas a stroke's extent only needs to be clamped.
    const double limit = 1e7;
    const QRectF d(std::clamp(e.x() * dpr_, -limit, limit), std::clamp(e.y() * dpr_, -limit, limit),
                   std::min(e.width() * dpr_, limit), std::min(e.height() * dpr_, limit));
    return d.toAlignedRect().adjusted(-kDeviceMargin, -kDeviceMargin, kDeviceMargin, kDeviceMargin);
}

StrokeCache::Entry StrokeCache::makeEntry(const DrawingStroke& stroke, std::vector<QImage> stamps) const {
    Entry e{StrokeView{stroke, std::move(stamps)}, QRect(), std::nullopt, QImage()};
    e.device = deviceRect(shownDrawnExtent(stroke));
    return e;
}

QRegion StrokeCache::toLogical(const std::vector<QRect>& deviceRects) const {
    QRegion region;
    for (const QRect& d : deviceRects) region += logicalRect(d, dpr_);
    return region;
}

// ---- Pixels beneath the top strokes ----

std::size_t StrokeCache::bytesBeneath(const Entry& entry) {
    return (entry.beneath ? bytesOf(*entry.beneath) : 0) + bytesOf(entry.coverBeneath);
}

void StrokeCache::saveBeneath(Entry& entry) {
    backupBytes_ -= bytesBeneath(entry);
    entry.beneath.reset();
    entry.coverBeneath = QImage();
    const QRect r = entry.device & image_.rect();
    if (r.isEmpty()) {
        entry.beneath = QImage();
        return;
    }
    // One stroke may not take more than half the budget.
    const double bytesPerPixel = cover_.isNull() ? 4 : 5;
    if (bytesPerPixel * r.width() * r.height() > kBackupBudgetBytes / 2.0) return;
    entry.beneath = image_.copy(r);
    if (!cover_.isNull()) entry.coverBeneath = cover_.copy(r);
    backupBytes_ += bytesBeneath(entry);
}

void StrokeCache::dropBeneath(std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to && i < entries_.size(); ++i) {
        backupBytes_ -= bytesBeneath(entries_[i]);
        entries_[i].beneath.reset();
        entries_[i].coverBeneath = QImage();
    }
}

void StrokeCache::trimBackups() {
    // Only the topmost strokes can be undone one after the other; below them
    // a copy would wait for a change that rarely comes.
    const std::size_t keepFrom = entries_.size() > kBackupStrokes ? entries_.size() - kBackupStrokes : 0;
    // Only from where copies may be: a pass over every stroke would cost
    // each addition more as the drawing grows.
    dropBeneath(std::min(backupFloor_, keepFrom), keepFrom);
    backupFloor_ = std::max(backupFloor_, keepFrom);
    // The lowest strokes are the least likely to be undone or changed next.
    for (std::size_t i = keepFrom; i < entries_.size() && backupBytes_ > kBackupBudgetBytes; ++i) dropBeneath(i, i + 1);
}

bool StrokeCache::restoreBeneath(const Entry& entry) {
    if (!entry.beneath) return false;
    const QPoint at = (entry.device & image_.rect()).topLeft();
    if (!entry.beneath->isNull()) blit(image_, *entry.beneath, at);
    if (!entry.coverBeneath.isNull() && !cover_.isNull()) blit(cover_, entry.coverBeneath, at);
    return true;
}

void StrokeCache::draw(const Entry& entry, QPainter& painter, const QRect& deviceClip) {
    if (cover_.isNull()) {
        entry.view.render(painter);
        return;
    }
    // Drawn apart first: its own pixels say how far it covers each one.
    const QRect r = entry.device & deviceClip & image_.rect();
    if (r.isEmpty()) return;
    if (layer_.width() < r.width() || layer_.height() < r.height())
        layer_ = QImage(std::max(layer_.width(), r.width()), std::max(layer_.height(), r.height()),
                        QImage::Format_ARGB32_Premultiplied);
    const QRect own(QPoint(0, 0), r.size());
    clearRect(layer_, own);
    {
        QPainter lp(&layer_);
        lp.setRenderHints(painter.renderHints());
        lp.setClipRect(own);
        lp.translate(-r.x(), -r.y());
        lp.scale(dpr_, dpr_);
        entry.view.render(lp);
    }
    painter.save();
    painter.resetTransform();
    painter.drawImage(r.topLeft(), layer_, own);
    painter.restore();
    raiseCover(cover_, r, layer_, r.topLeft(), strokeOpacity255(entry.view.stroke.color));
}

void StrokeCache::trimLayer() {
    if (qsizetype(layer_.width()) * layer_.height() > kKeptLayerPixels) layer_ = QImage();
}

void StrokeCache::drawOnTop(Entry& entry, QPainter& painter) {
    // The top entry.
    backupFloor_ = std::min(backupFloor_, entries_.size() - 1);
    if (!entry.device.intersects(image_.rect())) {
        entry.beneath = QImage();
        return;
    }
    saveBeneath(entry);
    // Clipped to the stroke's own area: what is laid must come off again
    // with the copy of what lay beneath.
    const QRect area = entry.device & image_.rect();
    if (prepainted_ && prepainted_(entry.view.stroke, painter, area, cover_.isNull() ? nullptr : &cover_)) return;
    draw(entry, painter, area);
    ++lastDrawCount_;
}

// ---- Drawing ----

QRegion StrokeCache::rebuild() {
    const QSize size = deviceSize(logicalSize_, dpr_);
    if (image_.size() != size || image_.isNull()) image_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    image_.fill(Qt::transparent);
    cover_ = keepsCover_ && !image_.isNull() ? emptyCover(size) : QImage();
    dropBeneath(0, entries_.size());
    lastDrawCount_ = 0;
    if (image_.isNull()) return QRegion();
    const QRect bounds = image_.rect();
    QPainter p(&image_);
    p.scale(dpr_, dpr_);
    for (std::size_t i = 0; i + 1 < entries_.size(); ++i) {
        if (!entries_[i].device.intersects(bounds)) continue;
        draw(entries_[i], p, bounds);
        ++lastDrawCount_;
    }
    if (!entries_.empty()) drawOnTop(entries_.back(), p);
    return QRegion(QRect(QPoint(0, 0), logicalSize_));
}

QRegion StrokeCache::redraw(std::vector<QRect> dirty, bool keepTopBeneath) {
    const QRect bounds = image_.rect();
    std::vector<QRect> clipped;
    for (const QRect& r : dirty) {
        const QRect c = r & bounds;
        if (!c.isEmpty()) clipped.push_back(c);
    }
    clipped = merged(std::move(clipped));
    double area = 0;
    for (const QRect& r : clipped) area += double(r.width()) * r.height();
    if (area > kFullRedrawShare * bounds.width() * bounds.height()) return rebuild();

    lastDrawCount_ = 0;
    const std::size_t n = entries_.size() - (keepTopBeneath && !entries_.empty() ? 1 : 0);
    QPainter p(&image_);
    // One rectangle at a time: a stroke with erasures is drawn in a layer as
    // large as its extent within the clip, so a clip of many scattered
    // rectangles would make every layer large.
    for (const QRect& r : clipped) {
        // The clip is set in device pixels, before the scale, so the pixels
        // cleared are exactly the ones the strokes are drawn again into.
        p.resetTransform();
        p.setClipRect(r);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(r, Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (!cover_.isNull()) clearRect(cover_, r);
        p.scale(dpr_, dpr_);
        for (std::size_t i = 0; i < n; ++i) {
            if (!entries_[i].device.intersects(r)) continue;
            draw(entries_[i], p, r);
            ++lastDrawCount_;
        }
    }
    // A new top stroke lies wholly inside the area redrawn: what is there now
    // is what lies beneath it.
    if (n < entries_.size()) {
        p.resetTransform();
        p.setClipping(false);
        p.scale(dpr_, dpr_);
        drawOnTop(entries_.back(), p);
    }
    trimBackups();
    return toLogical(clipped);
}

void StrokeCache::changedArea(const Entry& old, const Entry& now, std::vector<QRect>& dirty) const {
    const DrawingStroke& a = old.view.stroke;
    const DrawingStroke& b = now.view.stroke;
    if (!sameStampImages(old.view.tintedStamps, now.view.tintedStamps) || !sameExceptErasures(a, b)) {
        dirty.push_back(old.device);
        dirty.push_back(now.device);
        return;
    }
    // Only the erasures changed: passes come and go whole, so the pixels
    // changed lie under the dabs of the passes that differ.
    QHash<QUuid, std::pair<std::vector<const ErasureStamp*>, std::vector<const ErasureStamp*>>> passes;
    for (const ErasureStamp& e : a.erasures) passes[e.passID].first.push_back(&e);
    for (const ErasureStamp& e : b.erasures) passes[e.passID].second.push_back(&e);
    const auto addDabs = [&](const std::vector<const ErasureStamp*>& dabs) {
        for (const ErasureStamp* e : dabs) {
            const QRectF square(e->center.x() - e->radius + b.offset.width(),
                                e->center.y() - e->radius + b.offset.height(), 2 * e->radius, 2 * e->radius);
            const QRect r = deviceRect(square.normalized()) & now.device;
            if (!r.isEmpty()) dirty.push_back(r);
        }
    };
    for (auto it = passes.cbegin(); it != passes.cend(); ++it) {
        const auto& [before, after] = it.value();
        const bool same = before.size() == after.size() &&
                          std::equal(before.begin(), before.end(), after.begin(),
                                     [](const ErasureStamp* x, const ErasureStamp* y) { return *x == *y; });
        if (same) continue;
        addDabs(before);
        addDabs(after);
    }
}

QRegion StrokeCache::sync(const std::vector<const DrawingStroke*>& strokes, const StampSource& stamps) {
    // The strokes that stayed as they were, in the same place, at the bottom.
    std::size_t prefix = 0;
    while (prefix < entries_.size() && prefix < strokes.size()) {
        const DrawingStroke& s = *strokes[prefix];
        const Entry& e = entries_[prefix];
        if (!sameStroke(e.view.stroke, s)) break;
        if (s.gimpBrushID && !sameStampImages(stampsOf(s, stamps), e.view.tintedStamps)) break;
        ++prefix;
    }
    return syncAbove(
        prefix, std::vector<const DrawingStroke*>(strokes.begin() + static_cast<std::ptrdiff_t>(prefix), strokes.end()),
        stamps);
}

QRegion StrokeCache::syncAbove(std::size_t bottom, const std::vector<const DrawingStroke*>& above,
                               const StampSource& stamps) {
    if (logicalSize_.isEmpty()) {
        clear();
        return QRegion();
    }
    const LayerTrim trim(*this);
    lastDrawCount_ = 0;
    const std::size_t prefix = std::min(bottom, entries_.size());
    const std::size_t total = prefix + above.size();
    // A canvas with nothing drawn holds no image: a display-sized buffer is
    // made when the first stroke comes and freed when the last one goes.
    if (total == 0) {
        const bool had = !image_.isNull();
        clear();
        return had ? QRegion(QRect(QPoint(0, 0), logicalSize_)) : QRegion();
    }
    // The stroke at index i ≥ prefix.
    const auto stroke = [&](std::size_t i) -> const DrawingStroke& { return *above[i - prefix]; };

    if (image_.isNull()) {
        entries_.resize(prefix);
        for (std::size_t i = prefix; i < total; ++i)
            entries_.push_back(makeEntry(stroke(i), stampsOf(stroke(i), stamps)));
        return rebuild();
    }

    std::vector<QRect> touched;
    // The top stroke taken away or changed: what lay beneath it is known, so
    // putting that back leaves the strokes below, and the rest is added.
    if (prefix + 1 == entries_.size() && entries_.back().beneath) {
        const QRect top = entries_.back().device & image_.rect();
        restoreBeneath(entries_.back());
        backupBytes_ -= bytesBeneath(entries_.back());
        entries_.pop_back();
        if (!top.isEmpty()) touched.push_back(top);
    }

    if (prefix == entries_.size()) {
        // Additions on top: drawn over what is there.
        for (std::size_t i = prefix; i < total; ++i) {
            entries_.push_back(makeEntry(stroke(i), stampsOf(stroke(i), stamps)));
            Entry& e = entries_.back();
            QPainter p(&image_);
            p.scale(dpr_, dpr_);
            drawOnTop(e, p);
            const QRect r = e.device & image_.rect();
            if (!r.isEmpty()) touched.push_back(r);
        }
        trimBackups();
        return toLogical(merged(std::move(touched)));
    }

    // Past the common bottom, keep the old strokes that reappear in the same
    // order relative to each other; a kept stroke that changed marks only
    // where its pixels changed. Every other stroke, old or new, marks its
    // whole area. Outside the marked areas every stroke draws as before, in
    // the same order, so the pixels there stay right.
    QHash<QUuid, std::size_t> oldIndex;
    for (std::size_t i = prefix; i < entries_.size(); ++i) oldIndex.insert(entries_[i].view.stroke.id, i);
    std::vector<bool> kept(entries_.size(), false);
    std::vector<Entry> next;
    next.reserve(total);
    for (std::size_t i = 0; i < prefix; ++i) next.push_back(std::move(entries_[i]));
    std::vector<QRect> dirty = std::move(touched);
    std::size_t lastKept = 0;
    bool anyKept = false;
    bool freshTop = false;
    for (std::size_t j = prefix; j < total; ++j) {
        const DrawingStroke& s = stroke(j);
        std::vector<QImage> st = stampsOf(s, stamps);
        const auto it = oldIndex.constFind(s.id);
        freshTop = false;
        if (it != oldIndex.constEnd() && !kept[*it] && (!anyKept || *it > lastKept)) {
            const std::size_t i = *it;
            kept[i] = true;
            lastKept = i;
            anyKept = true;
            Entry& old = entries_[i];
            if (sameStroke(old.view.stroke, s) && sameStampImages(old.view.tintedStamps, st)) {
                next.push_back(std::move(old));
            } else {
                Entry e = makeEntry(s, std::move(st));
                changedArea(old, e, dirty);
                next.push_back(std::move(e));
            }
            continue;
        }
        next.push_back(makeEntry(s, std::move(st)));
        dirty.push_back(next.back().device);
        freshTop = true;
    }
    for (std::size_t i = prefix; i < entries_.size(); ++i)
        if (!kept[i]) dirty.push_back(entries_[i].device);
    entries_ = std::move(next);
    // What lies beneath the strokes past the common bottom may have changed.
    backupBytes_ = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (i >= prefix) {
            entries_[i].beneath.reset();
            entries_[i].coverBeneath = QImage();
        } else {
            backupBytes_ += bytesBeneath(entries_[i]);
        }
    }
    return redraw(std::move(dirty), freshTop);
}

QRegion StrokeCache::refreshStamps(const StampSource& stamps) {
    const LayerTrim trim(*this);
    lastDrawCount_ = 0;
    if (image_.isNull()) return QRegion();
    std::vector<QRect> dirty;
    std::size_t lowest = entries_.size();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        Entry& e = entries_[i];
        if (!e.view.stroke.gimpBrushID) continue;
        std::vector<QImage> now = stampsOf(e.view.stroke, stamps);
        if (sameStampImages(now, e.view.tintedStamps)) continue;
        e.view.tintedStamps = std::move(now);
        dirty.push_back(e.device);
        lowest = std::min(lowest, i);
    }
    if (dirty.empty()) return QRegion();
    dropBeneath(lowest + 1, entries_.size());
    return redraw(std::move(dirty), false);
}

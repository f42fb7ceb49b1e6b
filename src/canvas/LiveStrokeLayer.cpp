#include "canvas/LiveStrokeLayer.h"

#include "canvas/DevicePixels.h"
#include "canvas/LivePiecePainter.h"
#include "canvas/SolidPixels.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Antialiasing may reach a pixel past an extent; two also cover fractional
// pixel ratios.
constexpr int kDeviceMargin = 2;

double colourOpacity(const Color& c) {
    if (std::isnan(c.a)) return 1;
    return std::clamp(c.a, 0.0, 1.0);
}

// Lays `from` (its pixel (0, 0) at `at` in `onto`) over `onto` taking the
// more opaque pixel of the two: pieces of one opaque outline drawn apart
// overlap, and where both cover a pixel it is covered once.
void mergeMax(QImage& onto, const QImage& from, QPoint at, const QRect& area) {
    const QRect r = area & onto.rect() & QRect(at, from.size());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* d = reinterpret_cast<QRgb*>(onto.scanLine(y));
        const auto* s = reinterpret_cast<const QRgb*>(from.constScanLine(y - at.y())) - at.x();
        for (int x = r.left(); x <= r.right(); ++x)
            if (qAlpha(s[x]) > qAlpha(d[x])) d[x] = s[x];
    }
}

void clearRect(QImage& image, const QRect& r) {
    const QRect c = r & image.rect();
    if (c.isEmpty()) return;
    for (int y = c.top(); y <= c.bottom(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)) + c.left(), c.width(), QRgb(0));
}

// Copies `area` of `from` to the top-left of `onto` (of the same depth), or
// clears that much of `onto` where `from` does not hold the area.
void copyOrClear(QImage& onto, const QImage& from, const QRect& area) {
    const int bytes = onto.depth() / 8;
    const auto rowBytes = static_cast<std::size_t>(bytes) * static_cast<std::size_t>(area.width());
    const bool holds = !from.isNull() && from.rect().contains(area);
    for (int y = 0; y < area.height(); ++y) {
        uchar* to = onto.scanLine(y);
        if (holds) std::memcpy(to, from.constScanLine(area.top() + y) + bytes * area.left(), rowBytes);
        else std::memset(to, 0, rowBytes);
    }
}

} // namespace

LiveStrokeLayer::LiveStrokeLayer() = default;
LiveStrokeLayer::~LiveStrokeLayer() = default;

void LiveStrokeLayer::setGeometry(QSize logicalSize, double devicePixelRatio) {
    if (!(devicePixelRatio > 0)) devicePixelRatio = 1;
    if (logicalSize == logicalSize_ && devicePixelRatio == dpr_) return;
    logicalSize_ = logicalSize;
    dpr_ = devicePixelRatio;
    layer_ = QImage();
    tail_ = QImage();
    scratch_ = QImage();
    layerBounds_ = QRect();
    tailRect_ = QRect();
    painter_.reset();
    showing_ = false;
}

QRect LiveStrokeLayer::toDevice(const QRectF& logical) const {
    if (logical.isNull()) return QRect();
    const QRectF d(logical.x() * dpr_, logical.y() * dpr_, logical.width() * dpr_, logical.height() * dpr_);
    const QRect bounds(QPoint(0, 0), deviceSize(logicalSize_, dpr_));
    // Clamped first: a stroke far off the canvas must not overflow int.
    const QRectF clamped = d & QRectF(bounds).adjusted(-8, -8, 8, 8);
    if (clamped.isEmpty()) return QRect();
    return clamped.toAlignedRect().adjusted(-kDeviceMargin, -kDeviceMargin, kDeviceMargin, kDeviceMargin) & bounds;
}

QRegion LiveStrokeLayer::toLogical(const QRect& device) const { return QRegion(logicalRect(device, dpr_)); }

void LiveStrokeLayer::clearLayers() {
    if (!layer_.isNull()) clearRect(layer_, layerBounds_);
    layerBounds_ = QRect();
    tailRect_ = QRect();
}

QImage& LiveStrokeLayer::sized(QImage& buffer, QSize size, QImage::Format format) {
    if (buffer.width() < size.width() || buffer.height() < size.height())
        buffer = QImage(std::max(buffer.width(), size.width()), std::max(buffer.height(), size.height()), format);
    return buffer;
}

QRegion LiveStrokeLayer::show(const DrawingStroke* stroke, const std::vector<QImage>& stamps) {
    QRegion dirty;
    if (!stroke) {
        if (showing_) {
            dirty += toLogical(layerBounds_);
            dirty += toLogical(tailRect_);
            clearLayers();
            painter_.reset();
            showing_ = false;
        }
        return dirty;
    }
    if (logicalSize_.isEmpty()) return dirty;

    if (layer_.size() != deviceSize(logicalSize_, dpr_)) {
        layer_ = QImage(deviceSize(logicalSize_, dpr_), QImage::Format_ARGB32_Premultiplied);
        layer_.fill(Qt::transparent);
        layerBounds_ = QRect();
    }

    if (!painter_ || !painter_->accept(*stroke, stamps)) {
        dirty += toLogical(layerBounds_);
        dirty += toLogical(tailRect_);
        clearLayers();
        painter_ = makeLivePiecePainter(*stroke, stamps);
        painter_->accept(*stroke, stamps);
        cuts_ = stroke->tool == DrawingTool::eraser;
        merges_ = paintsOneOutline(*stroke, stamps);
        opacity_ = merges_ ? colourOpacity(stroke->color) : 1.0;
        strokeOpacity255_ = strokeOpacity255(stroke->color);
    }
    showing_ = true;
    shownID_ = stroke->id;

    if (merges_) {
        // The run is drawn apart and merged in, so that it and what is drawn
        // already make one outline.
        const QRect run = toDevice(painter_->finalExtent());
        if (!run.isEmpty()) {
            QImage& buffer = sized(run_, run.size());
            clearRect(buffer, QRect(QPoint(0, 0), run.size()));
            {
                QPainter p(&buffer);
                p.setClipRect(QRect(QPoint(0, 0), run.size()));
                p.translate(-run.x(), -run.y());
                p.scale(dpr_, dpr_);
                painter_->drawFinal(p);
            }
            mergeMax(layer_, buffer, run.topLeft(), run);
            layerBounds_ |= run;
            dirty += toLogical(run);
        }
    } else {
        QPainter p(&layer_);
        p.scale(dpr_, dpr_);
        const QRect drawn = toDevice(painter_->drawFinal(p));
        if (!drawn.isEmpty()) {
            layerBounds_ |= drawn;
            dirty += toLogical(drawn);
        }
    }

    dirty += toLogical(tailRect_);
    tailRect_ = toDevice(painter_->tailExtent());
    if (!tailRect_.isEmpty()) {
        sized(tail_, tailRect_.size());
        clearRect(tail_, QRect(QPoint(0, 0), tailRect_.size()));
        QPainter p(&tail_);
        p.setClipRect(QRect(QPoint(0, 0), tailRect_.size()));
        p.translate(-tailRect_.x(), -tailRect_.y());
        p.scale(dpr_, dpr_);
        painter_->drawTail(p);
        dirty += toLogical(tailRect_);
    }
    return dirty;
}

bool LiveStrokeLayer::layOn(const DrawingStroke& stroke, QPainter& target, const QRect& deviceClip, QRegion& shown,
                            QImage* cover) {
    static const std::vector<QImage> kNoStamps;
    // Stamped strokes and erasers are drawn differently live; a stroke that
    // moved or was cut since is no longer the one shown.
    if (!showing_ || !merges_ || cuts_ || stroke.id != shownID_ || stroke.gimpBrushID || !stroke.erasures.empty() ||
        !stroke.offset.isNull())
        return false;
    if (!painter_->accept(stroke, kNoStamps)) return false;
    shown += show(&stroke, kNoStamps);
    // The final part and the tail as one shape, then the colour's opacity.
    if (!tailRect_.isEmpty()) {
        mergeMax(layer_, tail_, tailRect_.topLeft(), tailRect_);
        layerBounds_ |= tailRect_;
    }
    const QRect from = layerBounds_ & deviceClip;
    if (!from.isEmpty()) {
        target.save();
        target.resetTransform();
        target.setClipRect(deviceClip);
        target.setCompositionMode(QPainter::CompositionMode_SourceOver);
        target.setOpacity(opacity_);
        target.drawImage(from.topLeft(), layer_, from);
        target.restore();
        // Drawn opaque: its alpha is how far it covers each pixel.
        if (cover) raiseCover(*cover, from, layer_, QPoint(0, 0), 255);
    }
    shown += show(nullptr, kNoStamps);
    return true;
}

QRect LiveStrokeLayer::deviceArea(const QRect& logicalRect) const {
    const QRect bounds(QPoint(0, 0), deviceSize(logicalSize_, dpr_));
    return QRectF(logicalRect.x() * dpr_, logicalRect.y() * dpr_, logicalRect.width() * dpr_,
                  logicalRect.height() * dpr_)
               .toAlignedRect() &
           bounds;
}

void LiveStrokeLayer::paint(QPainter& target, const QRect& logicalRect, const QImage& strokes) {
    const QRect d = deviceArea(logicalRect);
    if (d.isEmpty()) return;
    const QRectF targetRect(d.x() / dpr_, d.y() / dpr_, d.width() / dpr_, d.height() / dpr_);
    const bool hasStrokes = !strokes.isNull() && strokes.rect().contains(d);
    const bool inLayer = showing_ && layerBounds_.intersects(d);
    const bool inTail = showing_ && tailRect_.intersects(d);
    const QRect tailSource(QPoint(0, 0), tailRect_.size());

    target.save();
    target.setCompositionMode(QPainter::CompositionMode_Source);
    if (!cuts_ || !(inLayer || inTail)) {
        if (hasStrokes) target.drawImage(targetRect, strokes, QRectF(d));
        else target.fillRect(targetRect, Qt::transparent);
    }
    if (inLayer || inTail) {
        if (cuts_) {
            // The dabs come off the strokes in a copy, never off the target,
            // which may hold more than the strokes.
            QImage& s = sized(scratch_, d.size());
            {
                QPainter sp(&s);
                sp.setCompositionMode(QPainter::CompositionMode_Source);
                if (hasStrokes) sp.drawImage(QPoint(0, 0), strokes, d);
                else sp.fillRect(QRect(QPoint(0, 0), d.size()), Qt::transparent);
                sp.setCompositionMode(QPainter::CompositionMode_DestinationOut);
                if (inLayer) sp.drawImage(QPoint(0, 0), layer_, d);
                if (inTail) sp.drawImage(tailRect_.topLeft() - d.topLeft(), tail_, tailSource);
            }
            target.drawImage(targetRect, s, QRectF(QPointF(0, 0), QSizeF(d.size())));
        } else {
            target.setCompositionMode(QPainter::CompositionMode_SourceOver);
            target.setOpacity(opacity_);
            // Final part and tail make one shape before the opacity applies.
            QPoint at;
            const QImage& own = ownPixels(d, at);
            target.drawImage(targetRect, own, QRectF(d.translated(-at)));
        }
    }
    target.restore();
}

const QImage& LiveStrokeLayer::ownPixels(const QRect& d, QPoint& at) {
    if (!tailRect_.intersects(d)) {
        at = QPoint(0, 0);
        return layer_;
    }
    // The final part and the tail made one shape, as painted.
    const QRect tailSource(QPoint(0, 0), tailRect_.size());
    QImage& s = sized(scratch_, d.size());
    {
        QPainter sp(&s);
        sp.setCompositionMode(QPainter::CompositionMode_Source);
        sp.drawImage(QPoint(0, 0), layer_, d);
        if (!merges_) {
            sp.setCompositionMode(QPainter::CompositionMode_SourceOver);
            sp.drawImage(tailRect_.topLeft() - d.topLeft(), tail_, tailSource);
        }
    }
    if (merges_)
        mergeMax(s, tail_, tailRect_.topLeft() - d.topLeft(),
                 QRect(tailRect_.topLeft() - d.topLeft(), tailRect_.size()) & QRect(QPoint(0, 0), d.size()));
    at = d.topLeft();
    return s;
}

void LiveStrokeLayer::paintSolid(QPainter& target, const QRect& logicalRect, const QImage& strokes,
                                 const QImage& cover) {
    const QRect d = deviceArea(logicalRect);
    if (d.isEmpty()) return;
    const QRectF targetRect(d.x() / dpr_, d.y() / dpr_, d.width() / dpr_, d.height() / dpr_);
    const bool inLayer = showing_ && layerBounds_.intersects(d);
    const bool inTail = showing_ && tailRect_.intersects(d);
    target.save();
    target.setCompositionMode(QPainter::CompositionMode_Source);
    if (strokes.isNull() && !inLayer && !inTail) {
        target.fillRect(targetRect, Qt::transparent);
        target.restore();
        return;
    }
    const QRect local(QPoint(0, 0), d.size());
    // The composite and its covers are made apart, then turned solid: the
    // target gets only pixels that are shown whole or not at all.
    QImage& s = sized(solid_, d.size());
    QImage& c = sized(solidCover_, d.size(), QImage::Format_Alpha8);
    copyOrClear(s, strokes, d);
    copyOrClear(c, cover, d);
    const QPoint tailAt = tailRect_.topLeft() - d.topLeft();
    if (cuts_ && (inLayer || inTail)) {
        {
            QPainter sp(&s);
            sp.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            if (inLayer) sp.drawImage(QPoint(0, 0), layer_, d);
            if (inTail) sp.drawImage(tailAt, tail_, QRect(QPoint(0, 0), tailRect_.size()));
        }
        if (inLayer) cutCover(c, local, layer_, -d.topLeft());
        if (inTail) cutCover(c, local & QRect(tailAt, tailRect_.size()), tail_, tailAt);
    } else if (inLayer || inTail) {
        QPoint at;
        const QImage& own = ownPixels(d, at);
        {
            QPainter sp(&s);
            sp.setOpacity(opacity_);
            sp.drawImage(at - d.topLeft(), own, QRect(d.topLeft() - at, d.size()));
        }
        // Its own pixels say how far it covers each; drawn opaque, their
        // alpha is the cover itself.
        raiseCover(c, local, own, at - d.topLeft(), merges_ ? 255 : strokeOpacity255_);
    }
    makeSolid(s, local, c, QPoint(0, 0));
    target.drawImage(targetRect, s, QRectF(local));
    target.restore();
}

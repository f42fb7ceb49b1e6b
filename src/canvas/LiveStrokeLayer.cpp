#include "canvas/LiveStrokeLayer.h"

#include "canvas/DevicePixels.h"
#include "canvas/LivePiecePainter.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Antialiasing may reach a pixel past an extent; two also cover fractional
// pixel ratios.
constexpr int kDeviceMargin = 2;

double colourOpacity(const Color& c) {
    if (std::isnan(c.a)) return 1;
    return std::clamp(c.a, 0.0, 1.0);
}

void clearRect(QImage& image, const QRect& r) {
    const QRect c = r & image.rect();
    if (c.isEmpty()) return;
    for (int y = c.top(); y <= c.bottom(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)) + c.left(), c.width(), QRgb(0));
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

QRegion LiveStrokeLayer::toLogical(const QRect& device) const {
    return QRegion(logicalRect(device, dpr_));
}

void LiveStrokeLayer::clearLayers() {
    if (!layer_.isNull()) clearRect(layer_, layerBounds_);
    layerBounds_ = QRect();
    tailRect_ = QRect();
}

QImage& LiveStrokeLayer::scratch(QSize size) {
    if (scratch_.width() < size.width() || scratch_.height() < size.height())
        scratch_ = QImage(std::max(scratch_.width(), size.width()), std::max(scratch_.height(), size.height()),
                          QImage::Format_ARGB32_Premultiplied);
    return scratch_;
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

    if (!painter_ || !painter_->continues(*stroke, stamps)) {
        dirty += toLogical(layerBounds_);
        dirty += toLogical(tailRect_);
        clearLayers();
        painter_ = makeLivePiecePainter(*stroke, stamps);
        cuts_ = stroke->tool == DrawingTool::eraser;
        opacity_ = paintsOneOutline(*stroke, stamps) ? colourOpacity(stroke->color) : 1.0;
    }
    showing_ = true;

    {
        QPainter p(&layer_);
        p.scale(dpr_, dpr_);
        const QRect drawn = toDevice(painter_->drawFinal(*stroke, stamps, p));
        if (!drawn.isEmpty()) {
            layerBounds_ |= drawn;
            dirty += toLogical(drawn);
        }
    }

    dirty += toLogical(tailRect_);
    tailRect_ = toDevice(painter_->tailExtent(*stroke, stamps));
    if (!tailRect_.isEmpty()) {
        if (tail_.width() < tailRect_.width() || tail_.height() < tailRect_.height())
            tail_ = QImage(std::max(tail_.width(), tailRect_.width()), std::max(tail_.height(), tailRect_.height()),
                           QImage::Format_ARGB32_Premultiplied);
        clearRect(tail_, QRect(QPoint(0, 0), tailRect_.size()));
        QPainter p(&tail_);
        p.setClipRect(QRect(QPoint(0, 0), tailRect_.size()));
        p.translate(-tailRect_.x(), -tailRect_.y());
        p.scale(dpr_, dpr_);
        painter_->drawTail(*stroke, stamps, p);
        dirty += toLogical(tailRect_);
    }
    return dirty;
}

void LiveStrokeLayer::paint(QPainter& target, const QRect& logicalRect, const QImage& strokes) {
    const QRect bounds(QPoint(0, 0), deviceSize(logicalSize_, dpr_));
    const QRect d = QRectF(logicalRect.x() * dpr_, logicalRect.y() * dpr_, logicalRect.width() * dpr_,
                           logicalRect.height() * dpr_)
                        .toAlignedRect() &
                    bounds;
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
            QImage& s = scratch(d.size());
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
            if (inTail) {
                // Final part and tail make one shape before the opacity applies.
                QImage& s = scratch(d.size());
                {
                    QPainter sp(&s);
                    sp.setCompositionMode(QPainter::CompositionMode_Source);
                    sp.drawImage(QPoint(0, 0), layer_, d);
                    sp.setCompositionMode(QPainter::CompositionMode_SourceOver);
                    sp.drawImage(tailRect_.topLeft() - d.topLeft(), tail_, tailSource);
                }
                target.drawImage(targetRect, s, QRectF(QPointF(0, 0), QSizeF(d.size())));
            } else {
                target.drawImage(targetRect, layer_, QRectF(d));
            }
        }
    }
    target.restore();
}

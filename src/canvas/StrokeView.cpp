#include "canvas/StrokeView.h"

#include "canvas/SolidPixels.h"
#include "canvas/StrokeRenderer.h"
#include "geometry/BrushReach.h"
#include "model/StrokeExtent.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// Pixels of the erasure layer, reused from stroke to stroke: strokes with
// erasures are repainted one after another, each in a layer no larger than
// its drawn extent.
class LayerBuffer {
public:
    // A cleared, premultiplied image of `size` over the reused memory. Valid
    // until the next call on this thread.
    QImage image(QSize size) {
        const std::size_t words = static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height());
        if (words > capacity_) {
            data_ = std::make_unique<std::uint32_t[]>(words);
            capacity_ = words;
        }
        std::memset(data_.get(), 0, words * sizeof(std::uint32_t));
        return QImage(reinterpret_cast<uchar*>(data_.get()), size.width(), size.height(), size.width() * 4,
                      QImage::Format_ARGB32_Premultiplied);
    }

    // Large layers are not kept after use.
    void trim() {
        if (capacity_ > kKeptWords) {
            data_.reset();
            capacity_ = 0;
        }
    }

private:
    static constexpr std::size_t kKeptWords = 1920 * 1080;
    std::unique_ptr<std::uint32_t[]> data_;
    std::size_t capacity_ = 0;
};

// The dabs of the stroke being drawn that reach its layer.
std::vector<ErasureStamp>& dabsInLayer() {
    thread_local std::vector<ErasureStamp> dabs;
    dabs.clear();
    return dabs;
}

LayerBuffer& layerBuffer() {
    thread_local LayerBuffer buffer;
    return buffer;
}

// Device pixels the stroke can change: its shown extent (any stroke given
// brush cells is stamped with them), through the painter's transform, within
// the device and the clip.
QRect layerRect(const DrawingStroke& stroke, bool stamped, const QPainter& painter) {
    QRectF extent = shownDrawnExtent(stroke);
    if (stamped) {
        const QRectF cells = gimpBrushStampExtent(stroke.points, stroke.lineWidth);
        if (!cells.isNull()) extent |= cells.translated(stroke.offset.width(), stroke.offset.height());
    }
    if (extent.isNull()) return QRect();
    const QTransform toDevice = painter.deviceTransform();
    // Antialiasing may touch the pixel around the extent.
    QRect r = toDevice.mapRect(extent).toAlignedRect().adjusted(-2, -2, 2, 2);
    const QPaintDevice* device = painter.device();
    const double dpr = device->devicePixelRatioF();
    r &= QRect(0, 0, static_cast<int>(std::ceil(device->width() * dpr)),
               static_cast<int>(std::ceil(device->height() * dpr)));
    if (painter.hasClipping()) {
        const QRectF clip = painter.clipBoundingRect();
        r &= toDevice.mapRect(clip).toAlignedRect().adjusted(-1, -1, 1, 1);
    }
    return r;
}

} // namespace

void StrokeView::render(QPainter& painter) const {
    if (stroke.erasures.empty()) {
        painter.save();
        drawStroke(stroke, painter, tintedStamps);
        painter.restore();
        return;
    }
    renderThroughLayer(painter, false);
}

void StrokeView::renderSolid(QPainter& painter) const { renderThroughLayer(painter, true); }

void StrokeView::renderThroughLayer(QPainter& painter, bool solid) const {
    const QRect r = layerRect(stroke, !tintedStamps.empty(), painter);
    if (r.isEmpty()) return;
    const double dpr = painter.device()->devicePixelRatioF();
    LayerBuffer& buffer = layerBuffer();
    {
        QImage layer = buffer.image(r.size());
        layer.setDevicePixelRatio(dpr);
        std::vector<ErasureStamp>& inLayer = dabsInLayer();
        {
            QPainter lp(&layer);
            lp.setRenderHints(painter.renderHints());
            // The layer's pixel (0, 0) is the device's pixel r.topLeft().
            lp.setWorldTransform(painter.deviceTransform() * QTransform::fromTranslate(-r.x(), -r.y()) *
                                 QTransform::fromScale(1 / dpr, 1 / dpr));
            drawStroke(stroke, lp, tintedStamps);
            // Still under the stroke's offset: the dabs, stored in the
            // stroke's own coordinates, move with it. Dabs that miss the
            // layer are passed by: a stroke redrawn within a small area may
            // carry hundreds of them.
            const QTransform dabToDevice = lp.deviceTransform();
            const QRectF layerArea = QRectF(QPointF(0, 0), QSizeF(r.size())).adjusted(-1, -1, 1, 1);
            for (const ErasureStamp& e : stroke.erasures) {
                const QRectF square(e.center.x() - e.radius, e.center.y() - e.radius, 2 * e.radius, 2 * e.radius);
                if (dabToDevice.mapRect(square).intersects(layerArea)) inLayer.push_back(e);
            }
            lp.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            drawErasures(inLayer, lp);
        }
        if (solid) {
            const QRect all(QPoint(0, 0), r.size());
            QImage cover = emptyCover(r.size());
            raiseCover(cover, all, layer, QPoint(0, 0), strokeOpacity255(stroke.color));
            makeSolid(layer, all, cover, QPoint(0, 0));
        }
        painter.save();
        painter.resetTransform();
        painter.drawImage(QPointF(r.x() / dpr, r.y() / dpr), layer);
        painter.restore();
    }
    buffer.trim();
}

bool sameStampImages(const std::vector<QImage>& a, const std::vector<QImage>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].cacheKey() != b[i].cacheKey()) return false;
    return true;
}

bool operator==(const StrokeView& a, const StrokeView& b) {
    return a.stroke == b.stroke && sameStampImages(a.tintedStamps, b.tintedStamps);
}

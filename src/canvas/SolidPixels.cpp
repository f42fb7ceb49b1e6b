// Covers, and the pixels shown solid from them.
#include "canvas/SolidPixels.h"

#include "platform/Window.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// The pixel pointers of two images over one area, the second offset.
template <typename A, typename B>
void forRows(const QRect& area, QImage& first, const QImage& second, QPoint secondAt, auto&& row) {
    const QRect r = area & first.rect() & QRect(secondAt, second.size());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* a = reinterpret_cast<A*>(first.scanLine(y));
        const auto* b = reinterpret_cast<const B*>(second.constScanLine(y - secondAt.y())) - secondAt.x();
        row(a, b, r.left(), r.right() + 1);
    }
}

} // namespace

bool isShownSolid(const QWidget& widget) {
    const platform::Window* window = platform::Window::fromWidget(&widget);
    return window && window->shape().isShapedToPaintedPixels();
}

int strokeOpacity255(const Color& color) { return color.toQColor().alpha(); }

int coverOf(int alpha, int opacity255) {
    if (opacity255 <= 0 || alpha <= 0) return 0;
    return std::min(255, (alpha * 510 + opacity255) / (2 * opacity255));
}

QImage emptyCover(QSize size) {
    QImage cover(size, QImage::Format_Alpha8);
    cover.fill(0);
    return cover;
}

void raiseCover(QImage& cover, const QRect& area, const QImage& own, QPoint ownAt, int opacity255) {
    if (opacity255 <= 0) return;
    forRows<uchar, QRgb>(area, cover, own, ownAt, [opacity255](uchar* c, const QRgb* o, int x0, int x1) {
        for (int x = x0; x < x1; ++x) {
            const int alpha = qAlpha(o[x]);
            if (alpha == 0) continue;
            c[x] = static_cast<uchar>(std::max<int>(c[x], coverOf(alpha, opacity255)));
        }
    });
}

void cutCover(QImage& cover, const QRect& area, const QImage& cut, QPoint cutAt) {
    forRows<uchar, QRgb>(area, cover, cut, cutAt, [](uchar* c, const QRgb* e, int x0, int x1) {
        for (int x = x0; x < x1; ++x)
            if (const int alpha = qAlpha(e[x])) c[x] = static_cast<uchar>((c[x] * (255 - alpha) + 127) / 255);
    });
}

void makeSolid(QImage& image, const QRect& area, const QImage& cover, QPoint coverAt) {
    const QRect r = area & image.rect();
    if (r.isEmpty()) return;
    const QRect covered = cover.isNull() ? QRect() : r & QRect(coverAt, cover.size());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* px = reinterpret_cast<QRgb*>(image.scanLine(y));
        const bool rowCovered = y >= covered.top() && y <= covered.bottom();
        const uchar* c = rowCovered ? cover.constScanLine(y - coverAt.y()) - coverAt.x() : nullptr;
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = px[x];
            if (c && x >= covered.left() && x <= covered.right() && c[x] >= kHalfCover && qAlpha(p) != 0)
                px[x] = qUnpremultiply(p) | 0xff000000u;
            else px[x] = 0;
        }
    }
}

void paintShown(QPainter& painter, bool solid, const QRectF& area, const std::function<void(QPainter&)>& draw) {
    painter.save();
    if (!solid) {
        draw(painter);
        painter.restore();
        return;
    }
    const QTransform toDevice = painter.deviceTransform();
    // Antialiasing may touch the pixel around the area.
    QRect r = toDevice.mapRect(area).toAlignedRect().adjusted(-1, -1, 1, 1);
    const QPaintDevice* device = painter.device();
    const double dpr = device->devicePixelRatioF();
    r &= QRect(0, 0, static_cast<int>(std::ceil(device->width() * dpr)),
               static_cast<int>(std::ceil(device->height() * dpr)));
    if (painter.hasClipping()) r &= toDevice.mapRect(painter.clipBoundingRect()).toAlignedRect().adjusted(-1, -1, 1, 1);
    if (!r.isEmpty()) {
        QImage layer(r.size(), QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        layer.setDevicePixelRatio(dpr);
        {
            QPainter lp(&layer);
            lp.setRenderHints(painter.renderHints());
            lp.setFont(painter.font());
            // The layer's pixel (0, 0) is the device's pixel r.topLeft().
            lp.setWorldTransform(toDevice * QTransform::fromTranslate(-r.x(), -r.y()) *
                                 QTransform::fromScale(1 / dpr, 1 / dpr));
            draw(lp);
        }
        const QRect all(QPoint(0, 0), r.size());
        QImage cover = emptyCover(r.size());
        raiseCover(cover, all, layer, QPoint(0, 0), 255);
        makeSolid(layer, all, cover, QPoint(0, 0));
        painter.resetTransform();
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(QPointF(r.x() / dpr, r.y() / dpr), layer);
    }
    painter.restore();
}

QColor shownColour(QColor colour, bool solid) {
    if (solid) colour.setAlpha(255);
    return colour;
}

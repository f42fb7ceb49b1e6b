#pragma once

// Rendering strokes into images and reading the pixels back.

#include "canvas/StrokeView.h"
#include "model/DrawingStroke.h"

#include <QImage>
#include <QPainter>
#include <QRect>

#include <cmath>
#include <functional>
#include <vector>

namespace testing_support {

inline QImage transparentImage(QSize size) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// Paints one stroke (with its erasures) as the canvas shows it.
inline QImage renderStroke(const DrawingStroke& stroke, QSize size = QSize(300, 300),
                           const std::vector<QImage>& stamps = {}) {
    QImage img = transparentImage(size);
    QPainter p(&img);
    StrokeView{stroke, stamps}.render(p);
    return img;
}

// Runs `paint` on a painter over a fresh transparent image.
inline QImage paintImage(QSize size, const std::function<void(QPainter&)>& paint) {
    QImage img = transparentImage(size);
    QPainter p(&img);
    paint(p);
    return img;
}

inline int alphaAt(const QImage& img, int x, int y) { return qAlpha(img.pixel(x, y)); }
inline int alphaAt(const QImage& img, QPointF p) {
    return alphaAt(img, static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y())));
}

// The smallest rectangle holding every pixel whose alpha exceeds `threshold`.
inline QRect paintedBounds(const QImage& img, int threshold = 0) {
    int minX = img.width(), minY = img.height(), maxX = -1, maxY = -1;
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (qAlpha(row[x]) > threshold) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        }
    }
    return maxX < 0 ? QRect() : QRect(QPoint(minX, minY), QPoint(maxX, maxY));
}

inline int paintedCount(const QImage& img, int threshold = 0) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) n += qAlpha(row[x]) > threshold;
    }
    return n;
}

// The image moved by whole pixels (uncovered pixels transparent).
inline QImage shifted(const QImage& img, int dx, int dy) {
    QImage out = transparentImage(img.size());
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(dx, dy), img);
    return out;
}

} // namespace testing_support

#pragma once

// Draws stamp images one after another into a painter: each centred on its
// position, rotated, at its own opacity times the painter's. Restores the
// painter's state when done.

#include <QImage>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace brushEngine {

class StampPainter {
public:
    // `smooth`: filter the images as they are rotated and scaled; stamps
    // with soft edges drawn no larger than their pixels look the same
    // without, at half the cost. `flipImages`: the painter's frame is y-up,
    // so images are drawn mirrored back to stand upright.
    explicit StampPainter(QPainter& painter, bool smooth = true, bool flipImages = false)
        : painter_(painter), flip_(flipImages) {
        painter_.save();
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        base_ = painter_.transform();
        opacity_ = painter_.opacity();
    }
    ~StampPainter() { painter_.restore(); }

    // Device pixels per unit of the painter's coordinates.
    static double deviceScale(const QPainter& painter) {
        const double det = std::abs(painter.deviceTransform().determinant());
        return std::sqrt(det);
    }
    StampPainter(const StampPainter&) = delete;
    StampPainter& operator=(const StampPainter&) = delete;

    void draw(const QImage& image, QPointF pos, double angle, double alpha, QSizeF size) {
        if (!(alpha > 0) || image.isNull()) return;
        QTransform t = base_;
        t.translate(pos.x(), pos.y());
        t.rotateRadians(angle);
        if (flip_) t.scale(1, -1);
        painter_.setTransform(t);
        painter_.setOpacity(opacity_ * std::min(alpha, 1.0));
        painter_.drawImage(QRectF(-size.width() / 2, -size.height() / 2, size.width(), size.height()), image);
    }

private:
    QPainter& painter_;
    bool flip_;
    QTransform base_;
    double opacity_ = 1;
};

} // namespace brushEngine

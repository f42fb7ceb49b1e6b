#pragma once

// Conversions between a canvas's logical pixels and the device pixels its
// images are kept in.

#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QSize>

#include <cmath>

// The device pixels a canvas of `logical` size covers.
inline QSize deviceSize(QSize logical, double devicePixelRatio) {
    return QSize(static_cast<int>(std::ceil(logical.width() * devicePixelRatio)),
                 static_cast<int>(std::ceil(logical.height() * devicePixelRatio)));
}

// The logical pixels that hold a device rectangle, whole.
inline QRect logicalRect(const QRect& device, double devicePixelRatio) {
    if (device.isEmpty()) return QRect();
    return QRectF(device.x() / devicePixelRatio, device.y() / devicePixelRatio, device.width() / devicePixelRatio,
                  device.height() / devicePixelRatio)
        .toAlignedRect();
}

#pragma once

// The painted pixels of an image, as rectangles.

#include <QImage>
#include <QRect>

#include <vector>

namespace platform {

// The pixels of `image` inside `area` that are not fully transparent, as
// rectangles in image coordinates: runs of painted pixels per row, with equal
// runs of consecutive rows merged. This is what a window without a
// compositing manager shows of itself (its X bounding shape).
std::vector<QRect> paintedRects(const QImage& image, const QRect& area);

} // namespace platform

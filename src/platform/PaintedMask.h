#pragma once

// The pixels a window shaped to its painting showed last, one bit each, so
// that after a repaint only the pixels that turned go to the X server: a
// stroke that grows adds its new tail, an undo takes away only its stroke,
// and a repaint that changed nothing visible sends nothing.

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <vector>

namespace platform {

class PaintedMask {
public:
    // Takes in `area` of `image` (clipped to it): a pixel counts as painted
    // when it is not fully transparent. Appends the rectangles of pixels
    // painted now and not before to `painted`, and of those painted before
    // and not now to `cleared`; runs of a row, equal runs of consecutive
    // rows merged. An image of another size than the last starts from
    // nothing painted.
    void update(const QImage& image, const QRect& area, std::vector<QRect>& painted, std::vector<QRect>& cleared);
    // Nothing painted, at no size.
    void clear();

    QSize size() const { return size_; }

private:
    QSize size_;
    std::size_t words_ = 0; // 64-bit words per row
    std::vector<std::uint64_t> bits_;
};

} // namespace platform

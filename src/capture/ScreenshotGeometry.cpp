// Screenshot image sizes and the crop to a pinned window.
#include "capture/ScreenshotGeometry.h"

#include <algorithm>
#include <cmath>

namespace {
// Large enough for any display, small enough for an int.
constexpr double kLimit = 1 << 30;

int truncated(double v) {
    if (!(v > 0)) return 0;
    return static_cast<int>(std::min(v, kLimit));
}
} // namespace

QSize captureSize(platform::Size frameSize, double scale) {
    return QSize(truncated(frameSize.width * scale), truncated(frameSize.height * scale));
}

std::optional<QRect> pinnedWindowCrop(const platform::Rect& target, double scale, double primaryHeight,
                                      const platform::Rect& displayFrame, QSize imageSize) {
    const platform::Rect r = target.standardized();
    // The window's top edge in the window list's space.
    const double top = primaryHeight - (r.origin.y + r.size.height);
    const double x = (r.origin.x - displayFrame.minX()) * scale;
    const double y = (top - displayFrame.minY()) * scale;
    const double w = r.size.width * scale;
    const double h = r.size.height * scale;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h) || w <= 0 || h <= 0)
        return std::nullopt;
    // Enclosing whole pixels, then clipped to the image, still in doubles so
    // that nothing overflows.
    const double left = std::max(std::floor(x), 0.0);
    const double upper = std::max(std::floor(y), 0.0);
    const double right = std::min(std::ceil(x + w), double(imageSize.width()));
    const double lower = std::min(std::ceil(y + h), double(imageSize.height()));
    if (right <= left || lower <= upper) return std::nullopt;
    return QRect(int(left), int(upper), int(right - left), int(lower - upper));
}

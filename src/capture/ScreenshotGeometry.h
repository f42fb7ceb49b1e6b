#pragma once

// The sizes and crops of a screenshot, in pixels of the display image.

#include "platform/Geometry.h"

#include <QRect>
#include <QSize>

#include <optional>

// A display of `frameSize` points at `scale` pixels per point: its image
// size, each side truncated toward zero.
QSize captureSize(platform::Size frameSize, double scale);

// The part of a display image that shows a pinned window. `target` is the
// window's frame (screen space, y up), `primaryHeight` the height of the
// primary display's frame, `displayFrame` the captured display's frame in
// the window list's space (y down, origin at the primary's top-left). The
// rectangle is the smallest whole-pixel one enclosing the exact crop,
// clipped to the image; none when nothing of it is left.
std::optional<QRect> pinnedWindowCrop(const platform::Rect& target, double scale, double primaryHeight,
                                      const platform::Rect& displayFrame, QSize imageSize);

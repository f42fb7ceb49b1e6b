#pragma once

// Screen edges reserved by desktop panels, and the visible frame they leave.

#include <QRect>
#include <QSize>

#include <cstdint>
#include <span>
#include <vector>

namespace platform {

// The screen edges a panel reserves (_NET_WM_STRUT_PARTIAL), in root
// coordinates: each edge's thickness measured from the root window's edge
// and the span along that edge it covers (inclusive ends).
struct Strut {
    int left = 0, right = 0, top = 0, bottom = 0;
    int leftStartY = 0, leftEndY = 0, rightStartY = 0, rightEndY = 0;
    int topStartX = 0, topEndX = 0, bottomStartX = 0, bottomEndX = 0;

    // From the 12 values of _NET_WM_STRUT_PARTIAL, or the 4 of the older
    // _NET_WM_STRUT (which reserves whole edges); none for other lengths.
    static std::vector<Strut> fromProperty(const std::vector<std::uint32_t>& values, QSize rootSize);
};

// The part of `monitor` (root coordinates) that no strut reserves: each strut
// whose reserved band reaches into the monitor pushes that monitor edge in.
QRect visibleRootRect(const QRect& monitor, std::span<const Strut> struts, QSize rootSize);

} // namespace platform

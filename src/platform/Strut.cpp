#include "platform/Strut.h"

#include <algorithm>

namespace platform {

std::vector<Strut> Strut::fromProperty(const std::vector<std::uint32_t>& v, QSize root) {
    auto at = [&](std::size_t i) { return static_cast<int>(std::min<std::uint32_t>(v[i], 1u << 30)); };
    Strut s;
    if (v.size() >= 12) {
        s.left = at(0), s.right = at(1), s.top = at(2), s.bottom = at(3);
        s.leftStartY = at(4), s.leftEndY = at(5), s.rightStartY = at(6), s.rightEndY = at(7);
        s.topStartX = at(8), s.topEndX = at(9), s.bottomStartX = at(10), s.bottomEndX = at(11);
    } else if (v.size() >= 4) {
        s.left = at(0), s.right = at(1), s.top = at(2), s.bottom = at(3);
        s.leftStartY = s.rightStartY = 0;
        s.leftEndY = s.rightEndY = root.height() - 1;
        s.topStartX = s.bottomStartX = 0;
        s.topEndX = s.bottomEndX = root.width() - 1;
    } else {
        return {};
    }
    return {s};
}

QRect visibleRootRect(const QRect& monitor, std::span<const Strut> struts, QSize root) {
    // Edges as half-open intervals: [x0, x1) x [y0, y1).
    int x0 = monitor.x(), y0 = monitor.y();
    int x1 = x0 + monitor.width(), y1 = y0 + monitor.height();
    const int mx0 = x0, my0 = y0, mx1 = x1, my1 = y1;
    auto spans = [](int a0, int a1, int start, int endInclusive) { return start < a1 && endInclusive + 1 > a0; };
    // A band that covers the whole monitor belongs to a panel of a monitor
    // beyond it (struts are measured from the root's edges), so only bands
    // that end inside the monitor count.
    auto inside = [](int edge, int a0, int a1) { return edge > a0 && edge < a1; };
    for (const Strut& s : struts) {
        if (s.left > 0 && inside(s.left, mx0, mx1) && spans(my0, my1, s.leftStartY, s.leftEndY))
            x0 = std::max(x0, s.left);
        const int rightEdge = root.width() - s.right;
        if (s.right > 0 && inside(rightEdge, mx0, mx1) && spans(my0, my1, s.rightStartY, s.rightEndY))
            x1 = std::min(x1, rightEdge);
        if (s.top > 0 && inside(s.top, my0, my1) && spans(mx0, mx1, s.topStartX, s.topEndX)) y0 = std::max(y0, s.top);
        const int bottomEdge = root.height() - s.bottom;
        if (s.bottom > 0 && inside(bottomEdge, my0, my1) && spans(mx0, mx1, s.bottomStartX, s.bottomEndX))
            y1 = std::min(y1, bottomEdge);
    }
    if (x1 <= x0 || y1 <= y0) return QRect(monitor.topLeft(), QSize(0, 0));
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

} // namespace platform

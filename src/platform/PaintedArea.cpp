#include "platform/PaintedArea.h"

#include <utility>

namespace platform {

std::vector<QRect> paintedRects(const QImage& source, const QRect& wanted) {
    std::vector<QRect> out;
    const QRect area = wanted.intersected(source.rect());
    if (area.isEmpty() || !source.hasAlphaChannel()) {
        if (!area.isEmpty()) out.push_back(area);
        return out;
    }
    const QImage image = (source.format() == QImage::Format_ARGB32_Premultiplied ||
                          source.format() == QImage::Format_ARGB32)
                             ? source
                             : source.copy(area).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QPoint shift = image.rect() == source.rect() ? QPoint() : area.topLeft();

    // Open rectangles: runs of the previous row still growing downwards.
    std::vector<QRect> open, runs;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        runs.clear();
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y - shift.y()));
        int x = area.left();
        while (x <= area.right()) {
            while (x <= area.right() && qAlpha(line[x - shift.x()]) == 0) ++x;
            if (x > area.right()) break;
            const int start = x;
            while (x <= area.right() && qAlpha(line[x - shift.x()]) != 0) ++x;
            runs.emplace_back(start, y, x - start, 1);
        }
        std::vector<QRect> next;
        std::size_t i = 0, j = 0;
        // Both lists are sorted by x: a run equal to an open rectangle extends it.
        while (i < open.size() || j < runs.size()) {
            if (j < runs.size() && i < open.size() && open[i].left() == runs[j].left() &&
                open[i].width() == runs[j].width()) {
                QRect grown = open[i];
                grown.setBottom(y);
                next.push_back(grown);
                ++i, ++j;
            } else if (j >= runs.size() || (i < open.size() && open[i].left() < runs[j].left())) {
                out.push_back(open[i++]);
            } else {
                next.push_back(runs[j++]);
            }
        }
        open = std::move(next);
    }
    out.insert(out.end(), open.begin(), open.end());
    return out;
}

} // namespace platform

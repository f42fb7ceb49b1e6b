#include "platform/PaintedMask.h"

#include <algorithm>
#include <bit>

namespace platform {

namespace {

// Rows of runs become rectangles: a run equal to one of the row above
// extends it downwards.
class RowMerger {
public:
    explicit RowMerger(std::vector<QRect>& out) : out_(out) {}
    ~RowMerger() { out_.insert(out_.end(), open_.begin(), open_.end()); }

    // The runs of row y, sorted by x.
    void row(int y, const std::vector<QRect>& runs) {
        next_.clear();
        std::size_t i = 0, j = 0;
        while (i < open_.size() || j < runs.size()) {
            if (j < runs.size() && i < open_.size() && open_[i].left() == runs[j].left() &&
                open_[i].width() == runs[j].width() && open_[i].bottom() == y - 1) {
                QRect grown = open_[i++];
                grown.setBottom(y);
                next_.push_back(grown);
                ++j;
            } else if (j >= runs.size() || (i < open_.size() && open_[i].left() < runs[j].left())) {
                out_.push_back(open_[i++]);
            } else {
                next_.push_back(runs[j++]);
            }
        }
        open_.swap(next_);
    }

private:
    std::vector<QRect>& out_;
    std::vector<QRect> open_, next_;
};

} // namespace

void PaintedMask::clear() {
    size_ = QSize();
    words_ = 0;
    bits_.clear();
    bits_.shrink_to_fit();
}

void PaintedMask::update(const QImage& source, const QRect& wanted, std::vector<QRect>& painted,
                         std::vector<QRect>& cleared) {
    if (source.size() != size_) {
        size_ = source.size();
        words_ = static_cast<std::size_t>(std::max(0, size_.width()) + 63) / 64;
        bits_.assign(words_ * static_cast<std::size_t>(std::max(0, size_.height())), 0);
    }
    const QRect area = wanted.intersected(source.rect());
    if (area.isEmpty()) return;
    const bool opaque = !source.hasAlphaChannel();
    const QImage image =
        opaque || source.format() == QImage::Format_ARGB32_Premultiplied || source.format() == QImage::Format_ARGB32
            ? source
            : source.copy(area).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QPoint shift = image.rect() == source.rect() ? QPoint() : area.topLeft();

    RowMerger paintedRows(painted), clearedRows(cleared);
    std::vector<QRect> paintedRuns, clearedRuns;
    const int x0 = area.left(), x1 = area.right() + 1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        paintedRuns.clear();
        clearedRuns.clear();
        const auto* line = opaque ? nullptr : reinterpret_cast<const QRgb*>(image.constScanLine(y - shift.y()));
        std::uint64_t* row = bits_.data() + static_cast<std::size_t>(y) * words_;
        for (int wordStart = x0 & ~63; wordStart < x1; wordStart += 64) {
            const int from = std::max(x0, wordStart), to = std::min(x1, wordStart + 64);
            std::uint64_t now = 0;
            for (int x = from; x < to; ++x)
                if (opaque || qAlpha(line[x - shift.x()]) != 0) now |= std::uint64_t(1) << (x - wordStart);
            const std::uint64_t inRange =
                (to - from == 64 ? ~std::uint64_t(0) : ((std::uint64_t(1) << (to - from)) - 1) << (from - wordStart));
            std::uint64_t& word = row[static_cast<std::size_t>(wordStart >> 6)];
            std::uint64_t turned = (word ^ now) & inRange;
            word = (word & ~inRange) | now;
            while (turned) {
                const int bit = std::countr_zero(turned);
                turned &= turned - 1;
                const int x = wordStart + bit;
                auto& runs = (now >> bit) & 1 ? paintedRuns : clearedRuns;
                if (!runs.empty() && runs.back().right() + 1 == x) runs.back().setRight(x);
                else runs.emplace_back(x, y, 1, 1);
            }
        }
        paintedRows.row(y, paintedRuns);
        clearedRows.row(y, clearedRuns);
    }
}

} // namespace platform

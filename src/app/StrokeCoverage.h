#pragma once

// How many placed strokes take the pointer at each pixel of an overlay,
// kept up to date stroke by stroke, and the pixels where any does: a change
// of one stroke costs that stroke's pixels, not a pass over all of them.

#include "canvas/StrokeHitSpans.h"

#include <QRegion>
#include <QSize>
#include <QUuid>

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

class StrokeCoverage {
public:
    using Entry = std::pair<QUuid, SharedSpans>;

    // Makes the coverage that of exactly these strokes over `size` pixels
    // (spans outside are cut off). A stroke whose span list is the one
    // counted before costs nothing; a new size counts everything again.
    void update(const std::vector<Entry>& strokes, QSize size);
    // The covered pixels, moved by `offset`, as a banded region.
    QRegion region(QPoint offset) const;
    void clear();

    std::size_t strokeCount() const { return counted_.size(); }

private:
    void apply(const std::vector<PixelSpan>& spans, bool add);

    struct Counted {
        SharedSpans spans;
        std::uint64_t seen = 0;
    };
    QSize size_;
    std::size_t words_ = 0;            // 64-bit words per row of `bits_`
    std::vector<std::uint8_t> counts_; // per pixel, up to 255
    // Counts beyond 255, by pixel index: many strokes crossing one spot.
    std::unordered_map<std::size_t, std::uint32_t> overflow_;
    std::vector<std::uint64_t> bits_;  // pixels with a count
    std::unordered_map<QUuid, Counted, QUuidHash> counted_;
    std::uint64_t generation_ = 0;
};

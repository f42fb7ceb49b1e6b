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

    // The pixels whose covered state a change turned, each list sorted by
    // row, then column, its spans neither overlapping nor touching.
    struct Turned {
        std::vector<PixelSpan> covered;
        std::vector<PixelSpan> uncovered;
        bool empty() const { return covered.empty() && uncovered.empty(); }
    };
    // Takes these strokes away (ids not counted are passed by), then counts
    // these (a stroke counted already is counted again with its new spans):
    // the cost is that of their spans, however many strokes are counted.
    Turned change(const std::vector<QUuid>& removed, const std::vector<Entry>& added);

    // The covered pixels, moved by `offset`, as a banded region.
    QRegion region(QPoint offset) const;
    // Spans as a banded region, moved by `offset`.
    static QRegion regionOf(const std::vector<PixelSpan>& spans, QPoint offset);
    void clear();

    QSize size() const { return size_; }
    bool contains(const QUuid& id) const { return counted_.count(id) != 0; }
    std::size_t strokeCount() const { return counted_.size(); }
    // Counts every change, for telling whether anyone changed the coverage
    // since one looked.
    std::uint64_t generation() const { return generation_; }

private:
    bool covered(int x, int y) const {
        return (bits_[static_cast<std::size_t>(y) * words_ + (static_cast<std::size_t>(x) >> 6)] >> (x & 63)) & 1;
    }
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
    std::vector<std::uint64_t> bits_; // pixels with a count
    std::unordered_map<QUuid, Counted, QUuidHash> counted_;
    std::uint64_t generation_ = 0;
};

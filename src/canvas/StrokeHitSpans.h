#pragma once

// The pixels at which a placed stroke takes the pointer, row by row: the
// hit test (strokeHitTest) turned into spans, so that the X server can route
// clicks by itself instead of asking the hit test at every pointer move.

#include "model/DrawingStroke.h"

#include <QUuid>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

struct QUuidHash {
    std::size_t operator()(const QUuid& id) const noexcept { return qHash(id); }
};

// Pixels x0 … x1 - 1 of row y.
struct PixelSpan {
    int y = 0;
    int x0 = 0;
    int x1 = 0;
    friend bool operator==(const PixelSpan&, const PixelSpan&) = default;
};

// Exactly the pixels (x, y) for which strokeHitTest(stroke, (x, y) · scale)
// holds, sorted by row, then column; spans of one row never touch. `scale`
// is canvas points per pixel (1 / the device pixel ratio).
std::vector<PixelSpan> strokeHitSpans(const DrawingStroke& stroke, double scale = 1.0);

// The spans of each stroke, kept while the stroke stays the same: a stroke
// is rasterised once, when it is placed or changed, not at every rebuild.
using SharedSpans = std::shared_ptr<const std::vector<PixelSpan>>;

class StrokeHitSpanCache {
public:
    // The spans of `stroke` at `scale`, computed now if the stroke changed
    // (then a new list; an unchanged stroke keeps its list).
    SharedSpans spans(const DrawingStroke& stroke, double scale);
    // Forgets every stroke but these.
    void keepOnly(const std::vector<DrawingStroke>& strokes);
    void forget(const QUuid& id) { entries_.erase(id); }
    std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        DrawingStroke stroke;
        double scale = 1;
        SharedSpans spans;
        std::uint64_t kept = 0;
    };
    std::unordered_map<QUuid, Entry, QUuidHash> entries_;
    std::uint64_t generation_ = 1;
};

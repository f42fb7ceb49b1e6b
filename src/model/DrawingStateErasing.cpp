// Eraser passes and the purge of a deleted stroke's history.

#include "model/DrawingState.h"

#include "model/StrokeExtent.h"
#include "platform/Dispatch.h"

#include <algorithm>

namespace {

// An axis-aligned box tested by CoreGraphics' rule (interiors overlap, an
// empty box strictly inside counts), as platform::Rect::intersects, in a form
// cheap enough for every dab against every stroke.
struct Box {
    double x0, y0, x1, y1;

    static Box of(const QRectF& r) {
        const QRectF n = r.normalized();
        return Box{n.left(), n.top(), n.right(), n.bottom()};
    }
    bool intersects(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
    void unite(const Box& o) {
        x0 = std::min(x0, o.x0), y0 = std::min(y0, o.y0), x1 = std::max(x1, o.x1), y1 = std::max(y1, o.y1);
    }
};

// Consecutive dabs lie close together along the eraser's path, so runs of
// them share a box that passes most strokes by at once.
constexpr std::size_t kDabRun = 16;

} // namespace

void DrawingState::applyEraserStamps(const std::vector<ErasureStamp>& stamps, DisplayID displayID) {
    platform::assertMainThread("DrawingState::applyEraserStamps");
    if (stamps.empty()) return;
    const DisplayID first = firstScreenDisplayID();

    // Every pass gets its own identifier, whatever the dabs carried.
    const QUuid passID = QUuid::createUuid();
    std::vector<ErasureStamp> dabs;
    std::vector<Box> squares;
    std::vector<Box> runs;
    dabs.reserve(stamps.size());
    squares.reserve(stamps.size());
    for (std::size_t k = 0; k < stamps.size(); ++k) {
        const auto& s = stamps[k];
        dabs.push_back(ErasureStamp{s.center, s.radius, passID});
        squares.push_back(
            Box::of(QRectF(s.center.x() - s.radius, s.center.y() - s.radius, 2 * s.radius, 2 * s.radius)));
        if (k % kDabRun == 0) runs.push_back(squares.back());
        else runs.back().unite(squares.back());
    }

    const std::vector<DrawingStroke>& list = strokes.get();
    std::vector<ErasureRecord> records;
    std::vector<std::size_t> cut; // the index of each record's stroke
    for (std::size_t i = 0; i < list.size(); ++i) {
        const DrawingStroke& stroke = list[i];
        if (stroke.displayID != displayID && !(stroke.displayID == 0 && displayID == first)) continue;
        // What the stroke's pixels reach, not only its bounding rectangle,
        // so that whatever the live eraser visibly cut stays cut.
        const Box extent = Box::of(eraserTestExtent(stroke));
        std::vector<ErasureStamp> hit;
        for (std::size_t r = 0; r < runs.size(); ++r) {
            if (!runs[r].intersects(extent)) continue;
            const std::size_t end = std::min(dabs.size(), (r + 1) * kDabRun);
            for (std::size_t k = r * kDabRun; k < end; ++k) {
                if (squares[k].intersects(extent)) hit.push_back(dabs[k]);
            }
        }
        if (hit.empty()) continue;
        records.push_back(ErasureRecord{stroke.id, std::move(hit)});
        cut.push_back(i);
    }
    // A pass that cut nothing leaves the history alone, pending redo included.
    if (records.empty()) return;

    // Only the strokes cut change, in place.
    strokes.edit([&](StrokeList::Editor& e) {
        for (std::size_t k = 0; k < cut.size(); ++k) {
            DrawingStroke s = e.list()[cut[k]];
            s.erasures.insert(s.erasures.end(), records[k].stamps.begin(), records[k].stamps.end());
            e.replace(cut[k], std::move(s));
        }
    });
    redoStack.set({});
    pushUndo(DrawingOp::erase(passID, displayID, std::move(records)));
}

void DrawingState::purgeHistory(const DrawingStroke& stroke) {
    platform::assertMainThread("DrawingState::purgeHistory");
    const auto& undoOps = undoStack.get();
    for (std::size_t i = undoOps.size(); i-- > 0;) {
        const auto* add = undoOps[i].asAdd();
        if (add && add->stroke.id == stroke.id) {
            // Only the newest addition goes; older ones and passes that cut
            // the stroke stay.
            undoStack.modify([i](auto& stack) { stack.erase(stack.begin() + static_cast<std::ptrdiff_t>(i)); });
            break;
        }
    }
    // The deletion can be taken back with one redo, as it was when deleted.
    redoStack.set({DrawingOp::add(stroke)});
    if (lastPlacedStrokeID.get() == stroke.id) lastPlacedStrokeID = std::nullopt;
}

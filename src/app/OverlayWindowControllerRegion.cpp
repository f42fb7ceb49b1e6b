// The overlay controller's input region: the pointer rule worked out for
// every pixel, built whole when what the rule reads changes and kept up
// stroke by stroke when only the strokes do.
#include "app/OverlayWindowController.h"

#include "app/PointerRegion.h"
#include "model/DrawingState.h"

#include <QWidget>

#include <algorithm>

QPointF OverlayWindowController::contentOrigin() const {
    QWidget* host = window_->widget();
    const QWidget* content = window_->contentView();
    const QPoint inHost = content ? content->mapTo(host, QPoint(0, 0)) : QPoint();
    return platform::toGlobal(window_->placement().pointerFrame()).topLeft() + QPointF(inHost);
}

OverlayWindowController::RegionSetting OverlayWindowController::regionSetting(DrawingState& state) const {
    RegionSetting r;
    r.screens = state.screenProvider().screens();
    QWidget* host = window_->widget();
    r.dpr = host->devicePixelRatioF();
    const double dpr = r.dpr;
    // The X server applies the region where it has the window; the pointer
    // on a pixel there reports that pixel's root position in logical
    // coordinates, as the mouse does. A press there lands on the content
    // where the window's pointer events are placed (placesPointerAtFrame).
    const platform::Rect placed = window_->placement().placedFrame();
    const QPointF placedAt = platform::toGlobal(placed).topLeft();
    const QPoint rootOrigin = (placedAt * dpr).toPoint();
    const QPointF contentAt = contentOrigin();

    PointerRegionInput& in = r.input;
    in.modes = PointerModes::of(state);
    in.hasContentView = window_->contentView() != nullptr;
    in.windowFrame = placed;
    in.screens = r.screens;
    r.ourWindows = framesOfOurWindows();
    in.ourWindows = r.ourWindows;
    in.passthroughRects = state.overlayPassthroughRects;
    in.pixels = host->size() * dpr;
    in.locationAt = [rootOrigin, dpr](QPoint p) { return platform::toScreen(QPointF(rootOrigin + p) / dpr); };
    in.viewPointOf = [contentAt](const platform::Point& location) { return platform::toGlobal(location) - contentAt; };
    if (QWidget* content = window_->contentView()) {
        r.contentPixels = content->size() * dpr;
        r.contentOffset = ((contentAt - placedAt) * dpr).toPoint();
    }
    r.firstScreen = r.screens.empty() ? 0 : r.screens.front().displayID;
    return r;
}

namespace {

// Shared by every overlay and kept while they are hidden: showing them
// again costs no stroke its spans.
StrokeHitSpanCache& spanCache() {
    static StrokeHitSpanCache cache;
    return cache;
}

} // namespace

void OverlayWindowController::countEveryStroke(DrawingState& state, const RegionSetting& r) {
    std::vector<StrokeCoverage::Entry> list;
    list.reserve(state.strokes->size());
    for (const DrawingStroke& s : state.strokes.get())
        if (s.displayID == displayID_ || (s.displayID == 0 && displayID_ == r.firstScreen))
            list.emplace_back(s.id, spanCache().spans(s, 1.0 / r.dpr));
    spanCache().keepOnly(state.strokes.get());
    coverage_.update(list, r.contentPixels);
    counted_ = CountedStrokes{state.strokes.revision(), r.dpr, r.firstScreen};
}

std::optional<StrokeCoverage::Turned> OverlayWindowController::countChangedStrokes(DrawingState& state,
                                                                                   const RegionSetting& r) {
    // Only the strokes changed since the last count, when those are known
    // and the count is of the same pixels.
    if (!counted_ || counted_->scale != r.dpr || counted_->firstScreen != r.firstScreen ||
        coverage_.size() != r.contentPixels)
        return std::nullopt;
    const auto changes = state.strokes.changesSince(counted_->revision);
    if (!changes) return std::nullopt;
    const StrokeNetChange net = StrokeList::net(*changes);
    std::vector<QUuid> removed;
    for (const StrokeChange& c : net.removed) removed.push_back(c.id);
    std::vector<StrokeCoverage::Entry> added;
    const auto& list = state.strokes.get();
    for (std::size_t i : net.added) {
        const DrawingStroke& s = list[i];
        if (s.displayID == displayID_ || (s.displayID == 0 && displayID_ == r.firstScreen))
            added.emplace_back(s.id, spanCache().spans(s, 1.0 / r.dpr));
    }
    // The spans of strokes gone for good are not kept.
    for (const StrokeChange& c : net.removed)
        if (std::none_of(net.added.begin(), net.added.end(), [&](std::size_t i) { return list[i].id == c.id; }))
            spanCache().forget(c.id);
    counted_->revision = state.strokes.revision();
    return coverage_.change(removed, added);
}

void OverlayWindowController::applyInputRegion(DrawingState& state) {
    // Not while a button is held (updateInputRegion waits for the release):
    // all of a drag's events are placed against one origin.
    window_->placement().setPointerAtRequestedFrame(placesPointerAtFrame());
    const RegionSetting r = regionSetting(state);
    ourWindows_ = r.ourWindows;
    const PointerRegionParts parts = pointerRegionParts(r.input);
    const bool sameBasis = applied_ && applied_->allowed == parts.allowed &&
                           applied_->overStrokesOnly == parts.overStrokesOnly &&
                           applied_->contentOffset == r.contentOffset &&
                           applied_->windowRevision == window_->shape().mouseRegionRevision();
    if (!parts.overStrokesOnly) {
        // The strokes do not matter here: placing or undoing one changes
        // nothing.
        if (!sameBasis) window_->shape().setMouseRegion(parts.allowed);
    } else {
        // Passthrough: only over strokes. What changed of the strokes turns
        // only those pixels, when the rest is as it was last time.
        const bool sameCount = applied_ && applied_->coverageGeneration == coverage_.generation();
        std::optional<StrokeCoverage::Turned> turned;
        if (r.contentPixels.isEmpty()) coverage_.clear();
        else if (!(turned = countChangedStrokes(state, r))) countEveryStroke(state, r);
        if (sameBasis && sameCount && turned) {
            if (!turned->empty())
                window_->shape().changeMouseRegion(
                    StrokeCoverage::regionOf(turned->covered, r.contentOffset) & parts.allowed,
                    StrokeCoverage::regionOf(turned->uncovered, r.contentOffset) & parts.allowed);
        } else {
            window_->shape().setMouseRegion(coverage_.region(r.contentOffset) & parts.allowed);
        }
    }
    applied_ = AppliedRegion{parts.allowed, parts.overStrokesOnly, r.contentOffset,
                             window_->shape().mouseRegionRevision(), coverage_.generation()};
}

QRegion OverlayWindowController::pointerRegion() {
    auto state = drawingState_.lock();
    if (!state || !window_) return {};
    RegionSetting r = regionSetting(*state);
    r.input.strokeRegion = [&] {
        if (!window_->contentView()) return QRegion();
        countEveryStroke(*state, r);
        return coverage_.region(r.contentOffset);
    };
    return ::pointerRegion(r.input);
}

// A canvas's placed strokes and live stroke, kept up to date and painted.

#include "canvas/CanvasStrokesLayer.h"

#include "model/DrawingState.h"

#include <QWidget>

#include <algorithm>

#include <utility>

namespace {

std::uint64_t mix64(std::uint64_t z) {
    z ^= z >> 33;
    z *= 0xff51afd7ed558ccdULL;
    z ^= z >> 33;
    return z;
}

} // namespace

CanvasStrokesLayer::CanvasStrokesLayer(platform::DisplayID displayID) : displayID_(displayID) {
    // A stroke just placed is the live stroke drawn to its end: its pixels
    // move over from the live layer rather than being drawn again, which for
    // a long stroke costs more than all of its drawing while it grew.
    cache_.setPrepainted([this](const DrawingStroke& stroke, QPainter& painter, const QRect& clip, QImage* cover) {
        return live_.layOn(stroke, painter, clip, handedOver_, cover);
    });
}

bool CanvasStrokesLayer::needsSync(QSize logicalSize, double devicePixelRatio) const {
    // The image stays null while nothing is drawn.
    return cache_.logicalSize() != logicalSize || cache_.devicePixelRatio() != devicePixelRatio || strokesDirty_;
}

void CanvasStrokesLayer::syncGeometry(QWidget& canvas) {
    const QSize logical = canvas.size();
    const double dpr = canvas.devicePixelRatioF();
    if (cache_.logicalSize() == logical && cache_.devicePixelRatio() == dpr) return;
    cache_.setGeometry(logical, dpr);
    live_.setGeometry(logical, dpr);
    // The cache forgot its strokes: all of them are drawn again, not just
    // the changes since the last sync.
    syncedRevision_.reset();
    strokesDirty_ = true;
    liveDirty_ = true;
    canvas.update();
}

void CanvasStrokesLayer::sync(DrawingState& state, QWidget& canvas) {
    syncStrokes(state, canvas);
    syncLiveStroke(state, canvas);
}

std::uint64_t CanvasStrokesLayer::stampCacheSignature(const DrawingState& state) {
    // Brush cells arrive in the background and are announced without a
    // field of their own; a change of what is cached shows here.
    std::uint64_t sum = 0;
    for (auto it = state.gimpStampCache.constBegin(); it != state.gimpStampCache.constEnd(); ++it) {
        std::uint64_t h = mix64(qHash(it.key()) + 0x9e3779b97f4a7c15ULL * (it.value().size() + 1));
        if (!it.value().empty()) h = mix64(h ^ static_cast<std::uint64_t>(it.value().front().cacheKey()));
        sum += h;
    }
    return sum;
}

std::vector<QImage> CanvasStrokesLayer::stampsFor(DrawingState& state, const DrawingStroke& stroke) {
    if (!stroke.gimpBrushID) return {};
    return state.tintedStamps(*stroke.gimpBrushID, stroke.color, stroke.lineWidth);
}

void CanvasStrokesLayer::syncStrokes(DrawingState& state, QWidget& canvas) {
    const platform::DisplayID first = state.firstScreenDisplayID();
    const bool firstChanged = first != firstScreen_;
    if (firstChanged) {
        firstScreen_ = first;
        strokesDirty_ = true;
    }
    const std::uint64_t signature = stampCacheSignature(state);
    const bool stampsChanged = signature != stampSignature_;
    stampSignature_ = signature;
    if (stampsChanged) liveDirty_ = true;
    const auto stamps = [&state](const DrawingStroke& s) { return stampsFor(state, s); };

    if (strokesDirty_) {
        strokesDirty_ = false;
        std::optional<Above> above;
        if (!stampsChanged && !firstChanged) above = changedAboveSinceSync(state, first);
        if (above) {
            canvas.update(cache_.syncAbove(above->kept, above->strokes, stamps));
        } else {
            std::vector<const DrawingStroke*> mine;
            mine.reserve(cache_.strokeCount() + 1);
            for (const DrawingStroke& s : state.strokes.get())
                if (isMine(s.displayID, first)) mine.push_back(&s);
            canvas.update(cache_.sync(mine, stamps));
        }
        syncedRevision_ = state.strokes.revision();
        if (!handedOver_.isEmpty()) canvas.update(std::exchange(handedOver_, QRegion()));
    } else if (stampsChanged) {
        canvas.update(cache_.refreshStamps(stamps));
    }
}

std::optional<CanvasStrokesLayer::Above> CanvasStrokesLayer::changedAboveSinceSync(const DrawingState& state,
                                                                                   platform::DisplayID first) const {
    // Strokes added on top of the drawing, or the top ones taken away (the
    // strokes placed and undone one after the other), leave every stroke
    // beneath as it was; anything else is compared stroke by stroke.
    if (!syncedRevision_) return std::nullopt;
    const auto changes = state.strokes.changesSince(*syncedRevision_);
    if (!changes) return std::nullopt;
    std::size_t count = cache_.strokeCount(), kept = count;
    for (const StrokeChange& c : *changes) {
        if (!isMine(c.displayID, first)) continue;
        if (!c.atEnd) return std::nullopt;
        if (c.kind == StrokeChange::Kind::added) {
            ++count;
        } else {
            if (count == 0) return std::nullopt;
            kept = std::min(kept, --count);
        }
    }
    // The strokes above are the last ones of this display.
    Above above;
    above.kept = kept;
    const auto& list = state.strokes.get();
    for (std::size_t i = list.size(); i-- > 0 && above.strokes.size() < count - kept;)
        if (isMine(list[i].displayID, first)) above.strokes.push_back(&list[i]);
    if (above.strokes.size() != count - kept) return std::nullopt;
    std::reverse(above.strokes.begin(), above.strokes.end());
    return above;
}

const DrawingStroke* CanvasStrokesLayer::liveStrokeOf(const DrawingState& state) const {
    const auto& current = state.currentStroke.get();
    // Only the display being drawn on shows the live stroke.
    return current && state.currentDrawingDisplayID.get() == displayID_ ? &*current : nullptr;
}

bool CanvasStrokesLayer::isLiveStrokeBehind(const DrawingState& state) const {
    return liveDirty_ && (liveStrokeOf(state) || live_.isShowing());
}

bool CanvasStrokesLayer::isLiveStrokeGrowing(const DrawingState& state) const {
    return liveStrokeOf(state) && live_.isShowing();
}

void CanvasStrokesLayer::syncLiveStroke(DrawingState& state, QWidget& canvas) {
    const DrawingStroke* live = liveStrokeOf(state);
    if (!live && !live_.isShowing()) {
        liveDirty_ = false;
        return;
    }
    if (!liveDirty_) return;
    liveDirty_ = false;
    canvas.update(live_.show(live, live ? stampsFor(state, *live) : std::vector<QImage>()));
}

void CanvasStrokesLayer::paint(QPainter& painter, const QRect& logicalRect) {
    if (cache_.keepsCover()) live_.paintSolid(painter, logicalRect, cache_.image(), cache_.cover());
    else live_.paint(painter, logicalRect, cache_.image());
}

bool CanvasStrokesLayer::setShownSolid(bool solid) {
    if (solid == cache_.keepsCover()) return false;
    cache_.setKeepsCover(solid);
    // The cache starts again from nothing: every stroke is drawn anew, not
    // just the changes since the last sync.
    syncedRevision_.reset();
    strokesDirty_ = true;
    return true;
}

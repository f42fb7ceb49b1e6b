#pragma once

// The strokes layer of one canvas: the placed strokes of its display kept as
// one image (StrokeCache), with the live stroke laid over them while that
// display is the one being drawn on (LiveStrokeLayer). It catches up with
// the drawing state when asked and repaints only the areas that changed.

#include "canvas/LiveStrokeLayer.h"
#include "canvas/StrokeCache.h"
#include "platform/ScreenProvider.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <optional>
#include <vector>

class DrawingState;
class QPainter;
class QWidget;

class CanvasStrokesLayer {
public:
    explicit CanvasStrokesLayer(platform::DisplayID displayID);
    CanvasStrokesLayer(const CanvasStrokesLayer&) = delete;
    CanvasStrokesLayer& operator=(const CanvasStrokesLayer&) = delete;

    // The placed strokes, or the live stroke or the display drawn on, changed.
    void strokesChanged() { strokesDirty_ = true; }
    void liveStrokeChanged() { liveDirty_ = true; }
    // Whether the layer must catch up before a canvas of this size paints.
    bool needsSync(QSize logicalSize, double devicePixelRatio) const;

    // Each asks `canvas` to repaint the areas that changed.
    void syncGeometry(QWidget& canvas);
    void sync(DrawingState& state, QWidget& canvas);
    void syncStrokes(DrawingState& state, QWidget& canvas);
    void syncLiveStroke(DrawingState& state, QWidget& canvas);
    // Whether the live stroke shown differs from the state's; and whether
    // it is one more step of the stroke shown (not its start or end).
    bool isLiveStrokeBehind(const DrawingState& state) const;
    bool isLiveStrokeGrowing(const DrawingState& state) const;

    // Paints `logicalRect`: the placed strokes and the live stroke over them.
    void paint(QPainter& painter, const QRect& logicalRect);

    // Whether the strokes are shown solid, as a window shows them without a
    // compositing manager (see SolidPixels). A change draws every placed
    // stroke again; answers whether it changed.
    bool setShownSolid(bool solid);
    bool isShownSolid() const { return cache_.keepsCover(); }

    const StrokeCache& cache() const { return cache_; }
    bool isShowingLiveStroke() const { return live_.isShowing(); }

private:
    const DrawingStroke* liveStrokeOf(const DrawingState& state) const;
    static std::vector<QImage> stampsFor(DrawingState& state, const DrawingStroke& stroke);
    static std::uint64_t stampCacheSignature(const DrawingState& state);
    // The strokes over the cache's bottom ones that the changes since the
    // last sync left alone, and how many of those there are; none when
    // that is not known.
    struct Above {
        std::size_t kept = 0;
        std::vector<const DrawingStroke*> strokes;
    };
    std::optional<Above> changedAboveSinceSync(const DrawingState& state, platform::DisplayID first) const;
    bool isMine(platform::DisplayID stroke, platform::DisplayID first) const {
        return stroke == displayID_ || (stroke == 0 && displayID_ == first);
    }

    platform::DisplayID displayID_;
    StrokeCache cache_;
    LiveStrokeLayer live_;
    bool strokesDirty_ = true;
    bool liveDirty_ = true;
    std::uint64_t stampSignature_ = 0;
    platform::DisplayID firstScreen_ = 0;
    // The strokes' revision the cache was last brought in line with.
    std::optional<std::uint64_t> syncedRevision_;
    QRegion handedOver_; // where the live stroke showed before it was placed
};

// The loop between a canvas's pointer intake, its frame pacer and its drawing.

#include "canvas/CanvasDragPacing.h"

#include <utility>

CanvasDragPacing::CanvasDragPacing(QWidget& canvas, CanvasGesture& gesture, std::function<void()> showLiveStroke)
    : showLiveStroke_(std::move(showLiveStroke)),
      pacer_([this] { frameCame(); }),
      intake_(canvas, gesture, [this](bool anyMoves) { return holdsForFrame(anyMoves); }) {}

void CanvasDragPacing::liveStrokeBehind(bool growing) {
    // Each step of a drag reaches the state as it comes; drawing it waits
    // for its frame. A stroke's start and end are drawn at once.
    if (!growing) {
        pacer_.shown();
        showLiveStroke_();
    } else if (pacer_.changed()) {
        showLiveStroke_();
    }
}

void CanvasDragPacing::useDisplayLink(const platform::DisplayLinkFactory& factory, platform::DisplayID display,
                                      std::unique_ptr<FramePacer::Clock> clock) {
    pacer_.useDisplayLink(factory, display, std::move(clock));
}

void CanvasDragPacing::frameCame() {
    // Moves held for this frame go in first.
    intake_.takeHeld();
    showLiveStroke_();
}

bool CanvasDragPacing::holdsForFrame(bool anyMoves) {
    if (!pacer_.wouldWait()) return false;
    // The pacer learns that changes keep coming, and owes a frame.
    if (anyMoves) pacer_.changed();
    return true;
}

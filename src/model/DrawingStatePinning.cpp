// The strokes set aside while the drawing is pinned to another window, and
// the pinned display's overlay frame.

#include "model/DrawingState.h"

#include "platform/Dispatch.h"

#include <algorithm>

void DrawingState::hideStrokesForAttach() {
    platform::assertMainThread("DrawingState::hideStrokesForAttach");
    // A stroke under edit lives only in its canvas: write it back first, or
    // it would be neither set aside nor drawn.
    endOpenEditsRequested.emit(std::nullopt);
    strokesHiddenForAttach = strokes.get();
    strokes.set({});
    // The history of the strokes set aside is dropped, not kept.
    undoStack.set({});
    redoStack.set({});
    lastPlacedStrokeID = std::nullopt;
}

void DrawingState::restoreStrokesAfterAttach() {
    platform::assertMainThread("DrawingState::restoreStrokesAfterAttach");
    // Edits still open end in the pinned drawing, which is then replaced;
    // written back later they would carry a pinned stroke into the restored
    // one.
    endOpenEditsRequested.emit(std::nullopt);
    strokes.set(strokesHiddenForAttach);
    // Each of the newest strokes can be undone again, up to the depth limit;
    // earlier eraser passes are not rebuilt.
    const auto& restored = strokes.get();
    const std::size_t keep = std::min<std::size_t>(restored.size(), static_cast<std::size_t>(kMaxStackDepth));
    std::vector<DrawingOp> rebuilt;
    rebuilt.reserve(keep);
    for (auto it = restored.end() - static_cast<std::ptrdiff_t>(keep); it != restored.end(); ++it)
        rebuilt.push_back(DrawingOp::add(*it));
    undoStack.set(std::move(rebuilt));
    redoStack.set({});
    strokesHiddenForAttach.clear();
    currentStroke = std::nullopt;
}

void DrawingState::setAttachedOverlayFrame(const platform::Rect& frame, DisplayID displayID) {
    platform::assertMainThread("DrawingState::setAttachedOverlayFrame");
    // The first display named stays the pinned one until the pin ends.
    const bool pinning = attachedDisplayID == 0;
    if (pinning) attachedDisplayID = displayID;
    if (currentOverlayFrame && *currentOverlayFrame == frame) return;
    currentOverlayFrame = frame;
    const auto it = overlayControllers.find(attachedDisplayID);
    if (it == overlayControllers.end() || !it->second || !it->second->hasWindow()) return;
    it->second->setWindowFrame(frame, false);
    // Above the other displays' overlays, whose display the window may
    // move onto: the pinned window's presses are its overlay's.
    if (pinning) it->second->raiseAboveOtherOverlays();
}

void DrawingState::restoreOverlayFrames() {
    platform::assertMainThread("DrawingState::restoreOverlayFrames");
    const DisplayID d = attachedDisplayID;
    if (const auto screen = screenProvider().screen(d)) {
        const auto it = overlayControllers.find(d);
        if (it != overlayControllers.end() && it->second && it->second->hasWindow())
            it->second->setWindowFrame(screen->frame, true);
    }
    currentOverlayFrame = std::nullopt;
    attachedDisplayID = 0;
}

// The strokes set aside while the drawing is pinned to another window, and
// the pinned display's overlay frame.

#include "model/DrawingState.h"

void DrawingState::hideStrokesForAttach() {}

void DrawingState::restoreStrokesAfterAttach() {}

void DrawingState::setAttachedOverlayFrame(const platform::Rect& frame, DisplayID displayID) {
    (void)frame;
    (void)displayID;
}

void DrawingState::restoreOverlayFrames() {}

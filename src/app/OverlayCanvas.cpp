#include "app/OverlayCanvas.h"

#include "canvas/DrawingCanvasView.h"

QWidget* makeOverlayCanvas(const std::shared_ptr<DrawingState>& state, platform::DisplayID displayID,
                           std::shared_ptr<CanvasPassGroup> passGroup) {
    auto* canvas = new DrawingCanvasView(state, displayID, nullptr, std::move(passGroup));
    canvas->setDisplayLinkFactory([](platform::DisplayID display, platform::DisplayLink::Callback callback) {
        return platform::DisplayLink::create(display, std::move(callback));
    });
    return canvas;
}

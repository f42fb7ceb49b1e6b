#include "canvas/CanvasOverlays.h"

std::shared_ptr<CanvasOverlayFactory> defaultCanvasOverlayFactory() { return nullptr; }

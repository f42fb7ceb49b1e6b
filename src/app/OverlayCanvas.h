#pragma once

// Making the drawing canvas an overlay window hosts.

#include "platform/ScreenProvider.h"

#include <memory>

class CanvasPassGroup;
class DrawingState;
class QWidget;

// The drawing canvas of one display, as an overlay window hosts it. The one
// place where an overlay's canvas is made.
QWidget* makeOverlayCanvas(const std::shared_ptr<DrawingState>& state, platform::DisplayID displayID,
                           std::shared_ptr<CanvasPassGroup> passGroup);

#pragma once

// The transparent window over one whole display.

#include "platform/Window.h"

// The borderless window laid over one whole display: transparent, without
// shadow, at the overlay level, above ordinary windows and below the toolbar
// and panels, which the window manager itself keeps above it. It may take
// the keyboard but never becomes a main window.
class OverlayWindow : public platform::Window {
public:
    explicit OverlayWindow(const platform::Rect& contentRect);
};

#pragma once

// An overlay window's controller as the drawing state sees it.

#include "platform/Geometry.h"

// The controller of one display's overlay window, as the drawing state sees
// it. The application shell implements it; tests fake it. Frames are in y-up
// screen space.
class OverlayController {
public:
    virtual ~OverlayController() = default;

    // A controller may have lost its window; callers skip it then.
    virtual bool hasWindow() const = 0;
    virtual bool isWindowVisible() const = 0;
    virtual platform::Rect windowFrame() const = 0;
    // `display`: repaint at once rather than at the next turn.
    virtual void setWindowFrame(const platform::Rect& frame, bool display) = 0;

    // Activates the application and shows the window.
    virtual void showWindow() = 0;
    virtual void orderFront() = 0;
    // Above the other overlays, from now on.
    virtual void raiseAboveOtherOverlays() = 0;
    virtual void makeKey() = 0;
    virtual void setIgnoresMouseEvents(bool ignores) = 0;
    // 0 = ordinary windows, 999 = overlays.
    virtual void setWindowLevel(int level) = 0;

    // Stops following the pointer; the window then lets every click through.
    virtual void removeMouseMoveMonitors() = 0;
    // Removes every monitor and subscription, then closes the window.
    virtual void close() = 0;
};

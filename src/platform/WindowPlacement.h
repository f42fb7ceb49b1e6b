#pragma once

// Where the X server has a window, against the frame the program asked for.

#include "platform/Geometry.h"
#include "platform/Signal.h"

#include <QRect>
#include <QSize>

#include <cstdint>

namespace platform {

class Window;

// The server's side of one window's place, owned by it
// (Window::placement()). A window manager may put a new window elsewhere
// first (below a desktop panel it overlaps) and move or resize a shown one
// on its own; this follows where the server has the window, asks once more
// for the frame the program set, and says where the window's pointer events
// are placed meanwhile.
class WindowPlacement {
public:
    explicit WindowPlacement(Window& window);
    ~WindowPlacement();

    WindowPlacement(const WindowPlacement&) = delete;
    WindowPlacement& operator=(const WindowPlacement&) = delete;

    // Whether the X server has the window where its frame says. Qt's idea of
    // the place can be wrong in both directions while a window manager holds
    // a new window elsewhere. True off X.
    bool standsAtFrame() const;
    // Where the X server has the window; the frame while that is not known.
    Rect placedFrame() const;
    // While on, the window's pointer events are placed in it as if it stood
    // at its requested frame, wherever the server has it meanwhile: a press
    // lands on the content where it shows once the window gets there. Off
    // (as at first): where the server has the window.
    void setPointerAtRequestedFrame(bool on);
    bool isPointerAtRequestedFrame() const { return pointerAtRequestedFrame_; }
    // The frame the window's pointer events are placed against.
    Rect pointerFrame() const;

    // The server moved the window (standsAtFrame() may have changed).
    Signal<> placedOnServer;

private:
    // The window tells its placement of what happens to it.
    friend class Window;
    // Follows a new X window of the window's.
    void nativeWindowCreated(std::uint32_t id);
    // The program asked for a frame.
    void requested();
    void moved();
    void resized(bool byServer);
    // The window is mapped and exposed for the first time since shown.
    void exposed();
    // Tells where the pointer events are placed (see
    // setPointerAtRequestedFrame).
    void applyPointerPlacement();
    // Asks, on a later turn, for the frame last set where the window is not.
    void askForRequestedFrame();

    Window& window_;
    bool pointerAtRequestedFrame_ = false;
    // The frame asked for again after a window manager moved the window
    // elsewhere, until the window is back there: asked for once, never
    // fought over.
    QRect reclaimedGeometry_;
    // The size last given to the window by this program (a frame set, its
    // layout grown), and the one asked for again after a window manager
    // resized it on its own: once, as for a move.
    QSize askedSize_;
    QSize reclaimedSize_;
    Subscription placementWatch_;
    std::uint32_t followedId_ = 0;
};

} // namespace platform

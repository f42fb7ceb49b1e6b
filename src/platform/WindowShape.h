#pragma once

// A window's X shapes: where it takes the pointer, its painted-pixel shape, and hiding it from the screen.

#include "platform/Signal.h"

#include <QObject>
#include <QRegion>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

class PaintedMask;
class Window;
class X11InputWindow;
class X11ShapeStaging;

// The shapes of one window, owned by it (Window::shape()). Decides, for the
// X server, which of the window's pixels take the pointer and which show.
class WindowShape : public QObject {
    Q_OBJECT
public:
    explicit WindowShape(Window& window);
    ~WindowShape() override;

    WindowShape(const WindowShape&) = delete;
    WindowShape& operator=(const WindowShape&) = delete;

    // On: the window is invisible to the pointer (an empty X input shape), so
    // every click goes to whatever lies below. Off: the whole window takes
    // the pointer, whatever its size.
    bool ignoresMouseEvents() const { return mouseRegion() && mouseRegion()->isEmpty(); }
    void setIgnoresMouseEvents(bool ignores);
    // The pixels (device pixels, from the window's top-left) at which the
    // window takes the pointer; elsewhere clicks go to whatever lies below,
    // decided by the X server at the moment of each click. None: all of it.
    const std::optional<QRegion>& mouseRegion() const;
    void setMouseRegion(const std::optional<QRegion>& region);
    // Adds pixels to the region and then takes others away, telling the X
    // server only of them: a change of a few pixels costs a few pixels,
    // however large the region. Without a region, one is set.
    void changeMouseRegion(const QRegion& added, const QRegion& removed);
    // Counts the region's changes, so that whoever changes it piece by
    // piece can tell whether anyone else set it meanwhile.
    std::uint64_t mouseRegionRevision() const { return mouseRegionRevision_; }

    // Takes the window off the screen for a screenshot: fully transparent
    // while a compositing manager runs, else an empty bounding shape, which
    // no repaint undoes. It stays mapped, so the window manager keeps it as
    // it is. Alpha values set meanwhile take effect once it is shown again.
    bool isHiddenFromScreen() const { return hiddenFromScreen_; }
    void setHiddenFromScreen(bool hidden);

    // Whether this window currently shows only its painted pixels (no
    // compositing manager): each at full opacity, in its colour as stored
    // (premultiplied), so content that paints translucent pixels may paint
    // otherwise meanwhile; a change repaints the whole window. X then clips
    // its input to those pixels too, so its input region goes on an
    // input-only window laid over it, whose events arrive as this window's;
    // the X id of that window while it is mapped, else 0.
    bool isShapedToPaintedPixels() const { return shaped_; }
    std::uint32_t inputWindowId() const;

private:
    // The window tells its shapes of what happens to it.
    friend class Window;
    friend class WindowStacking;
    // The input-only window belongs to the X window it stood over.
    void dropInputWindow();
    // Shapes a new X window of the window's as the last one was.
    void nativeWindowCreated();
    void painted(const QRegion& region);
    void resized();
    void moved();
    // Before the window is mapped.
    void aboutToShow();
    void hidden();
    // The window is mapped and exposed; true the first time since shown.
    bool exposed();
    void closed();
    // The background or opacity changed, or whether a compositing manager
    // runs.
    void updateShapeMode();
    // Puts the input-only window back just above the window.
    void restackInputWindow();
    bool hiddenByOpacity() const { return hiddenByOpacity_; }

    void applyInputShape();
    void applyInputShapeChange(const QRegion& added, const QRegion& removed);
    void scheduleShapeUpdate(const QRegion& dirty);
    void updateBoundingShape();
    // Places and shows or hides the input-only window.
    void updateInputWindow();
    bool translucent() const;

    Window& window_;
    // The region as last set, and the changes made to it since, applied
    // when it is asked for.
    mutable std::optional<QRegion> mouseRegion_;
    mutable std::vector<std::pair<QRegion, QRegion>> mouseRegionChanges_;
    std::uint64_t mouseRegionRevision_ = 0;
    bool inputShapeSentWhileMapped_ = false;
    bool shaped_ = false;
    bool hiddenFromScreen_ = false;
    bool hiddenByOpacity_ = false;
    // The opacity property the window had before it was hidden by opacity.
    std::optional<std::uint32_t> opacityBeforeHiding_;
    bool shapeInitialised_ = false;
    QRegion pendingDirty_;
    bool shapeUpdateQueued_ = false;
    std::unique_ptr<X11InputWindow> inputWindow_;
    // What the bounding shape holds while shaped to the painted pixels.
    std::unique_ptr<PaintedMask> paintedMask_;
    // Where that shape is built before it reaches the window; made on first
    // use.
    std::unique_ptr<X11ShapeStaging> shapeStaging_;
    Subscription compositingWatch_;
};

} // namespace platform

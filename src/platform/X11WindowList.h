#pragma once

// The window list read from the window manager's EWMH properties.

#include "platform/ScreenProvider.h"
#include "platform/Subscription.h"
#include "platform/WindowList.h"

#include <memory>
#include <optional>

namespace platform {

// Windows in _NET_CLIENT_LIST_STACKING order (the root's children where no
// window manager keeps that list), reversed so the front-most comes first.
// A window's bounds are its frame: the client rectangle grown by the
// decorations of _NET_FRAME_EXTENTS (the client rectangle alone where the
// window manager gives none). The owner comes from _NET_WM_PID; the layer
// from the window type and the above state. Requests for many windows go
// out together and their replies are read after, so a whole list costs two
// round trips and one window's bounds one.
class X11WindowList : public WindowList {
public:
    // `screens` places the primary display, the origin of the bounds.
    explicit X11WindowList(std::shared_ptr<ScreenProvider> screens);

    std::vector<WindowInfo> windows() const override;
    std::optional<Rect> bounds(std::uint32_t number) const override;
    std::optional<WindowPlace> place(std::uint32_t number) const override;

private:
    // The primary display's top-left in root coordinates, kept until the
    // screens change.
    QPoint primaryOrigin() const;

    std::shared_ptr<ScreenProvider> screens_;
    mutable std::optional<QPoint> primaryOrigin_;
    Subscription screensWatch_;
};

} // namespace platform

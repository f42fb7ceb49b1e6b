#pragma once

// The pointer as the X server reports it.

#include "platform/Mouse.h"

namespace platform {

// The pointer from one xcb_query_pointer on the root. Off xcb, QCursor's
// position and no buttons.
class X11Mouse : public Mouse {
public:
    Point location() const override;
    std::uint32_t pressedButtons() const override;
    State state() const override;

    static State query();
};

} // namespace platform

#pragma once

// The pointer's place and buttons as the window server sees them.

#include "platform/Geometry.h"

#include <cstdint>

namespace platform {

// The pointer as the window server sees it. The program uses the X11
// implementation; tests inject a fake.
class Mouse {
public:
    virtual ~Mouse() = default;
    // The pointer position in y-up screen space.
    virtual Point location() const = 0;
    // Bit 0 = left, bit 1 = right, bit 2 = middle.
    virtual std::uint32_t pressedButtons() const = 0;

    struct State {
        Point location;
        std::uint32_t buttons = 0;
    };
    // Both at once; the window server answers them from one query.
    virtual State state() const { return State{location(), pressedButtons()}; }
};

} // namespace platform

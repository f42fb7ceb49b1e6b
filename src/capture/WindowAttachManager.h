#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <optional>

// Follows the window the toolbar is pinned to. Idle for now: nothing is
// pinned yet.
class WindowAttachManager {
public:
    // The pinned window's number; 0 when none.
    std::uint32_t targetWindowID = 0;

    // Until the window list is read, the pinned window's last known frame
    // (screen space) stands in for it.
    std::optional<platform::Rect> targetFrame;

    // A window's frame in screen space; none when it is no longer listed.
    std::optional<platform::Rect> windowFrame(std::uint32_t windowID) const {
        if (windowID == 0 || windowID != targetWindowID) return std::nullopt;
        return targetFrame;
    }

    // Stops following; harmless when nothing is followed.
    void detach() {
        targetWindowID = 0;
        targetFrame.reset();
    }
};

#pragma once

#include <cstdint>

// Follows the window the toolbar is pinned to. Idle for now: nothing is
// pinned yet.
class WindowAttachManager {
public:
    // The pinned window's number; 0 when none.
    std::uint32_t targetWindowID = 0;

    // Stops following; harmless when nothing is followed.
    void detach() { targetWindowID = 0; }
};

#pragma once

// A callback once per refresh of a display, on the main thread, and the
// clock its timestamps are on.

#include "platform/ScreenProvider.h"

#include <functional>
#include <memory>

namespace platform {

// Seconds on the monotonic clock (CLOCK_MONOTONIC), the clock of every
// display-link timestamp.
double mediaTime();

struct DisplayLinkFrame {
    // When the latest refresh happened, and when the frame being prepared
    // now will be shown (the next refresh), in mediaTime() seconds.
    double timestamp = 0;
    double targetTimestamp = 0;
    // The refresh interval, seconds.
    double duration = 0;
};

// Calls back on the main thread at each refresh while running, or at the
// next refresh only when asked for one frame. Stopped, it keeps nothing
// scheduled with the X server or the event loop. A link may be destroyed
// from within its own callback.
class DisplayLink {
public:
    using Callback = std::function<void(const DisplayLinkFrame&)>;

    virtual ~DisplayLink() = default;

    // Every refresh from now on, until stop().
    virtual void start() = 0;
    virtual void stop() = 0;
    bool isRunning() const { return running_; }
    // The next refresh only, whether or not the link runs; several requests
    // before that refresh bring one callback.
    virtual void requestFrame() = 0;
    // Seconds between refreshes as the link knows them.
    virtual double refreshInterval() const = 0;

    // Where the ticks come from: the X server's vblank notifications
    // (Present) where it gives them, else a precise timer at the display's
    // refresh rate (RandR), else 60 Hz.
    enum class Source { automatic, timer };
    // The real link of a display; `source` can force the timer.
    static std::unique_ptr<DisplayLink> create(DisplayID display, Callback callback, Source source = Source::automatic);

protected:
    bool running_ = false;
};

// Makes the display link of a display; the program passes create().
using DisplayLinkFactory = std::function<std::unique_ptr<DisplayLink>(DisplayID, DisplayLink::Callback)>;

// The refresh rate of a video mode (Hz), from its pixel clock and totals and
// the RandR mode flags; 0 when the mode does not say (Xvfb's modes have no
// clock).
double modeRefreshRate(std::uint32_t dotClock, std::uint16_t htotal, std::uint16_t vtotal, std::uint32_t flags);

} // namespace platform

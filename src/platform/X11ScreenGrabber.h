#pragma once

// Capturing displays from the X server.

#include "platform/Clock.h"
#include "platform/ScreenGrabber.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

namespace platform {

namespace x11 {
class RootImageReader;
}

// Captures displays from the X server: the root window's pixels, which show
// what the user sees (a compositing manager that paints onto the root, or
// onto its overlay window, puts the composited picture there), read through
// MIT-SHM where the server offers it.
//
// A window left out of the image is hidden only while the image is taken:
// made fully transparent when a compositing manager runs, given an empty
// bounding shape when none does (unmapping it would make the window manager
// forget and re-manage it). The grab waits until the X server reports (DAMAGE)
// that the screen was drawn again wherever the windows showed, and no longer
// shows them; without a compositing manager, until the programs beneath have
// also been quiet there for a moment since their last drawing. It waits a
// quarter of a second at most (a second while the screen still plainly
// shows the windows), timed by the clock it is given, and puts the windows
// back right after the read. Only this program's own windows can be left
// out.
//
// A window of ours that closes just before (the countdown) is taken off the
// screen the same way as it closes, and the grab waits likewise for its
// place to be drawn again: the window manager takes its frame away in its
// own time, and a compositing manager may draw the place again before the
// grab begins, so the reports are watched from the moment it leaves.
//
// In a Wayland session the X server sees none of the other programs'
// windows: every request fails with permissionDenied.
class X11ScreenGrabber : public ScreenGrabber {
public:
    explicit X11ScreenGrabber(bool waylandSession, std::shared_ptr<Clock> clock = Clock::system());
    // The session as the environment describes it.
    X11ScreenGrabber();
    ~X11ScreenGrabber() override;

    void shareableContent(std::function<void(ContentResult)> done) override;
    void captureImage(const ContentFilter& filter, const CaptureConfiguration& configuration,
                      std::function<void(ImageResult)> done) override;
    // Sets up the shared memory the next image is read into; kept for a few
    // seconds.
    void prepare(QSize imageSize) override;
    // Takes the window off the screen now and watches the screen from then
    // on; put back after the next image, or after a few seconds without one.
    void windowClosing(std::uint32_t windowID) override;

    class PendingGrab;
    struct ClosingWindow;

private:
    void putBackClosing();

    bool wayland_;
    std::shared_ptr<Clock> clock_;
    // Parent of the pending grabs and of queued answers: both end with it.
    std::unique_ptr<QObject> context_;
    std::unique_ptr<x11::RootImageReader> prepared_;
    std::unique_ptr<QTimer> dropPrepared_;
    std::vector<ClosingWindow> closing_;
    std::unique_ptr<Clock::Timer> dropClosing_;
};

} // namespace platform

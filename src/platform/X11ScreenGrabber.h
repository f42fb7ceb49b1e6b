#pragma once

// Capturing displays from the X server.

#include "platform/Clock.h"
#include "platform/ScreenGrabber.h"

#include <QObject>
#include <QTimer>

#include <memory>

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

    class PendingGrab;

private:
    bool wayland_;
    std::shared_ptr<Clock> clock_;
    // Parent of the pending grabs and of queued answers: both end with it.
    std::unique_ptr<QObject> context_;
    std::unique_ptr<x11::RootImageReader> prepared_;
    std::unique_ptr<QTimer> dropPrepared_;
};

} // namespace platform

#pragma once

// Follows another program's window that the toolbar is pinned to, and the
// geometry of placing the toolbar beside it.

#include "capture/MotionPredictor.h"
#include "platform/DisplayLink.h"
#include "platform/Geometry.h"
#include "platform/ScreenProvider.h"
#include "platform/WindowList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// The edge of the pinned window beside which the toolbar sits; `top` is the
// side of its largest y in screen space.
enum class AttachEdge { top, bottom, left, right };

// What the manager reads the windows, the screens and the time from. The
// program passes the real ones; without a window list no window is ever
// found, and without a display-link factory tracking never ticks.
struct WindowAttachServices {
    std::shared_ptr<platform::WindowList> windowList;
    std::shared_ptr<platform::ScreenProvider> screens;
    platform::DisplayLinkFactory makeDisplayLink;
    // Seconds on the display links' clock; empty: platform::mediaTime.
    std::function<double()> clock;
};

// Follows one window: on every refresh of the display it was on when pinned,
// it reads the window's frame, feeds the origin to the motion predictor and
// reports a smoothed frame, predicted for the moment it will be shown. While
// the window is minimised (or on another desktop) nothing is reported, until
// it is back. When the window is no longer listed it stops and says so.
//
// Two coordinate systems meet here: the window list's (y down, origin at
// the top-left of the primary display) and screen space (y up, origin at the
// primary's bottom-left). Every frame taken or reported is in screen space.
// Main thread only.
class WindowAttachManager {
public:
    WindowAttachManager() : WindowAttachManager(WindowAttachServices{}) {}
    explicit WindowAttachManager(WindowAttachServices services);
    ~WindowAttachManager();

    WindowAttachManager(const WindowAttachManager&) = delete;
    WindowAttachManager& operator=(const WindowAttachManager&) = delete;

    using FrameHandler = std::function<void(const platform::Rect&)>;

    // Set by the owner: called once, after tracking has stopped, when the
    // window can no longer be found.
    std::function<void()> onWindowGone;

    // The edge the toolbar sits beside; the owner moves it to the opposite
    // edge when the toolbar no longer fits.
    AttachEdge attachEdge() const { return attachEdge_; }
    void setAttachEdge(AttachEdge edge) { attachEdge_ = edge; }
    // The pinned window's number; 0 when none.
    std::uint32_t targetWindowID() const { return targetWindowID_; }
    const UKFPredictor& predictor() const { return predictor_; }
    // Whether frames are reported to a handler (between attach and detach).
    bool reportsFrames() const { return bool(onFrameChanged_); }

    // Starts following the window (frame: its frame now), replacing any
    // earlier tracking. Reports nothing yet: the first report can come with
    // the first refresh.
    void attach(std::uint32_t windowID, AttachEdge edge, const platform::Rect& frame, FrameHandler frameHandler);
    // Stops following; calls neither handler. Harmless when idle.
    void detach();
    // The display link's callback: one step.
    void tick(const platform::DisplayLinkFrame& frame);
    // Measures, predicts, smooths and reports when the window moved by more
    // than 0.1 point or changed size.
    void step(const platform::DisplayLinkFrame& frame);

    // ---- Geometry ----
    // A window's frame; none when it is no longer listed.
    std::optional<platform::Rect> windowFrame(std::uint32_t windowID) const;
    // Its frame (screen space) and whether it shows; none when no longer
    // listed.
    std::optional<platform::WindowPlace> windowPlace(std::uint32_t windowID) const;
    // The frame of one entry of the window list.
    std::optional<platform::Rect> frame(const platform::WindowInfo& info) const;
    struct PickedWindow {
        std::uint32_t windowID = 0;
        platform::Rect frame;
    };
    // The front-most window on screen at a point (window-list coordinates)
    // that another process owns, at layer 0, more than 50 points wide and
    // high; none when there is none.
    std::optional<PickedWindow> windowUnderPoint(platform::Point point, std::int32_t excludingPID) const;
    // The first of top, bottom, right, left at which a toolbar of the size
    // lies within the visible frame (touching its edges counts as inside);
    // top when none does.
    static AttachEdge chooseEdge(const platform::Rect& windowFrame, const platform::Rect& visibleFrame,
                                 platform::Size toolbarSize);
    // The toolbar's origin centred along the edge, 4 points outside it.
    static platform::Point toolbarOrigin(const platform::Rect& windowFrame, AttachEdge edge, platform::Size size);
    // A window-list rectangle in screen space: (x, H − y − h, w, h), H the
    // primary display's height (0 without screens).
    platform::Rect flipToScreen(const platform::Rect& rect) const;

    // How far ahead to predict when the frame being prepared is shown in
    // `untilShown` seconds (not positive: already late).
    static double lookAhead(double untilShown);
    // The share of the way from the last reported origin to the prediction
    // covered after dt seconds.
    static double smoothingFactor(double dt);

    // Smallest time step fed to the predictor, and the look-ahead's margin
    // and cap, seconds.
    static constexpr double kMinStep = 0.001;
    static constexpr double kLookAheadMargin = 0.03;
    static constexpr double kMaxLookAhead = 0.055;
    // Time constant of the smoothing towards the prediction, seconds.
    static constexpr double kSmoothing = 0.03;
    // Closer than this to the prediction, the reported origin jumps to it.
    static constexpr double kSnapDistance = 0.75;
    // Moves of at most this much, at an unchanged size, are not reported.
    static constexpr double kMinMove = 0.1;
    static constexpr double kMinPickableSize = 50;
    static constexpr double kToolbarGap = 4;

    // While the window is back from being minimised but not yet in place:
    // how close to where it was counts as back, and how many refreshes
    // standing still elsewhere (it was moved meanwhile) do.
    static constexpr double kBackTolerance = 1;
    static constexpr int kStillRefreshes = 6;

private:
    // Whether a window that showed again is back: where it was when it went,
    // or standing still after the window manager's restore animation. Then
    // following resumes from there.
    bool isBack(const platform::Rect& frame);
    double now() const;
    std::optional<platform::Screen> screenFor(const platform::Rect& frame) const;

    WindowAttachServices services_;
    // Set while the window does not show, until it is back.
    bool waitingForWindow_ = false;
    std::optional<platform::Rect> frameWhileWaiting_;
    int stillRefreshes_ = 0;
    AttachEdge attachEdge_ = AttachEdge::top;
    std::uint32_t targetWindowID_ = 0;
    std::unique_ptr<platform::DisplayLink> displayLink_;
    UKFPredictor predictor_;
    platform::Size lastKnownSize_;
    // Clock seconds of the last measurement.
    double lastMeasurementDate_ = 0;
    platform::Point lastRenderedOrigin_{-1000000000, -1000000000};
    platform::Size lastRenderedSize_;
    // Receives every reported frame.
    FrameHandler onFrameChanged_;
};

#pragma once

// The controller of one display's overlay window and its pointer rule.

#include "app/OverlayWindow.h"
#include "app/PointerRegion.h"
#include "app/StrokeCoverage.h"
#include "model/OverlayController.h"
#include "platform/Event.h"
#include "platform/Mouse.h"
#include "platform/ScreenProvider.h"
#include "platform/Subscription.h"
#include "ui/Bindings.h"

#include <QElapsedTimer>
#include <QPointF>
#include <QRegion>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CanvasPassGroup;
class DrawingState;

class PassthroughHostingView;

// The controller of one display's overlay window. It decides where the
// window takes the pointer (draw mode, an edit under way, over a placed
// stroke) and where it lets clicks through to the applications below: the
// pointer rule, evaluated for every pixel of the window at once and handed
// to the X server as the window's input region, so that each click is
// routed where it lands, however the pointer got there. The region is
// rebuilt whenever the strokes or what the rule reads change, while the
// toolbar and the overlays are shown. The controller also watches the keys,
// right clicks and scrolling that act on the drawing.
//
// Made by the drawing state's overlay operations, which own it; it holds the
// state weakly. Main thread only.
class OverlayWindowController : public OverlayController, public std::enable_shared_from_this<OverlayWindowController> {
public:
    using DisplayID = platform::DisplayID;

    using Factory = std::function<std::shared_ptr<OverlayController>(DrawingState&, const platform::Screen&)>;

    // How long a shown window waits for the window manager to put it where
    // it asked; beyond that, presses are placed where it stands.
    static constexpr double kPlacementWaitSeconds = 1.0;

    // Covers the screen's whole frame; the window is not shown yet. Its
    // canvas reacts to changes in the passes of `passGroup`.
    // `isMouseOverStatusItem` tells whether the pointer is over the status
    // item (with its margin), whose right clicks are never the overlay's.
    static std::shared_ptr<OverlayWindowController>
    create(const platform::Screen& screen, const std::shared_ptr<DrawingState>& drawingState, DisplayID displayID,
           std::shared_ptr<CanvasPassGroup> passGroup, std::function<bool()> isMouseOverStatusItem = {},
           double placementWait = kPlacementWaitSeconds);
    // The overlay controllers of one drawing state, for its environment:
    // it owns the reaction pass group that their canvases share.
    static Factory factory(std::function<bool()> isMouseOverStatusItem = {},
                           double placementWait = kPlacementWaitSeconds);
    ~OverlayWindowController() override;

    OverlayWindowController(const OverlayWindowController&) = delete;
    OverlayWindowController& operator=(const OverlayWindowController&) = delete;

    OverlayWindow* window() const { return window_.get(); }
    // The frame the window takes for a requested one: a whole display's
    // frame less its bottom row (see the source for why).
    static platform::Rect windowFrameFor(const platform::Rect& frame, const platform::ScreenProvider& screens);
    PassthroughHostingView* hostingView() const { return hostingView_; }
    DisplayID displayID() const { return displayID_; }

    // ---- OverlayController ----
    bool hasWindow() const override;
    bool isWindowVisible() const override;
    platform::Rect windowFrame() const override;
    void setWindowFrame(const platform::Rect& frame, bool display) override;
    // Shows the window and activates the application.
    void showWindow() override;
    void orderFront() override;
    void makeKey() override;
    void raiseAboveOtherOverlays() override;
    void setIgnoresMouseEvents(bool ignores) override;
    void setWindowLevel(int level) override;
    // Stops following the pointer; the window lets every click through
    // until the rule is applied again.
    void removeMouseMoveMonitors() override;
    // Removes every monitor and subscription, then closes the window. A
    // closed controller never changes its window again.
    void close() override;

    // ---- The pointer rule ----
    // Applies the rule to the window: its input region becomes the rule's
    // region, and a live stroke left over with no button held goes.
    void updateMousePassthrough();
    // The rule (windowPointerRule) for the pointer as it is now: whether the
    // window takes the pointer.
    bool shouldAcceptMouse() const;
    // The window pixels at which the rule takes the pointer (pointerRegion).
    QRegion pointerRegion();
    // The drawing state's passthrough rectangles changed: the input region
    // follows at once, not at the next pointer movement.
    void passthroughRectsChanged();
    void updateMouseMonitors(bool active);
    // Follows the pointer's buttons (not its movements: the input region
    // routes each click) and applies the rule.
    void installMouseMoveMonitors();
    bool hasMouseMoveMonitors() const { return mouseMoveGlobal_.isActive() || mouseMoveLocal_.isActive(); }

    // ---- Keys, scrolling, right clicks ----
    // The local monitor's handler: the event to pass on, or none to swallow.
    std::optional<platform::Event> handleEvent(const platform::Event& event);
    // Drops the tool and turns move mode on: clicks pass through except over
    // placed strokes.
    void enterPassthroughMode();

    // Trackpad scrolling not yet turned into width steps.
    double scrollAccum = 0;
    // The last single right click (event time, seconds; none: long ago) and
    // where it was, top-left origin.
    std::optional<double> lastRightClickTime;
    QPointF lastRightClickLocation;

private:
    OverlayWindowController(const platform::Screen& screen, const std::shared_ptr<DrawingState>& drawingState,
                            DisplayID displayID, std::shared_ptr<CanvasPassGroup> passGroup);
    void setUp();
    // A button went up somewhere: a live stroke left over goes, and a
    // rebuild put off while it was held happens.
    void buttonReleased();
    // Brings the window's input region in line with the rule while it
    // applies.
    void updateInputRegion();
    void applyInputRegion(DrawingState& state);

    // What the region is worked out from, but for the strokes.
    struct RegionSetting {
        PointerRegionInput input;
        std::vector<platform::Screen> screens;
        // Our windows above the overlays that keep their clicks.
        std::vector<platform::Rect> ourWindows;
        double dpr = 1;
        // The content view's pixels and where they lie in the window's.
        QSize contentPixels;
        QPoint contentOffset;
        platform::DisplayID firstScreen = 0;
    };
    RegionSetting regionSetting(DrawingState& state) const;
    // Counts this display's strokes into the coverage afresh, or only the
    // ones changed since the last count (none when that cannot be done).
    void countEveryStroke(DrawingState& state, const RegionSetting& setting);
    std::optional<StrokeCoverage::Turned> countChangedStrokes(DrawingState& state, const RegionSetting& setting);
    // Puts the rebuild off until no button is held.
    void waitForRelease();
    bool shouldAcceptMouse(const platform::Point& location) const;
    void recomputeMonitorFlag();
    // The frames of our shown windows stacked above this overlay that take
    // the pointer; the region leaves them to their windows.
    std::vector<platform::Rect> framesOfOurWindows() const;
    // A window of ours moved, showed or hid: the region follows when it
    // changes what the overlay must leave to them.
    void ourWindowsChanged();
    // Whether a press here takes the keyboard: only in draw mode.
    void updateActivation();
    // Shown, and not yet where the server should have it.
    bool awaitsPlacement() const;
    // Whether pointer events are placed where the window asked to stand
    // rather than where the server has it.
    bool placesPointerAtFrame() const;
    // Where the content view's top-left corner lies for pointer events, in
    // Qt's global coordinates: on the frame they are placed against.
    QPointF contentOrigin() const;

    std::optional<platform::Event> handleRightMouseDown(const platform::Event& event, DrawingState& state);
    std::optional<platform::Event> handleScroll(const platform::Event& event, DrawingState& state);
    std::optional<platform::Event> handleKeyDown(const platform::Event& event, DrawingState* state);
    std::optional<platform::Event> escapeChain(const platform::Event& event, DrawingState& state);
    std::optional<platform::Event> deleteRule(const platform::Event& event, DrawingState& state);

    std::weak_ptr<DrawingState> drawingState_;
    DisplayID displayID_ = 0;
    std::function<bool()> isMouseOverStatusItem_;
    double placementWait_ = kPlacementWaitSeconds;
    platform::WindowPtr<OverlayWindow> window_;
    PassthroughHostingView* hostingView_ = nullptr;
    bool closed_ = false;

    platform::Subscription eventMonitor_;
    ui::Bindings observers_;
    platform::Subscription mouseMoveGlobal_;
    platform::Subscription mouseMoveLocal_;
    std::optional<bool> monitorFlag_;

    // Whether the input region follows the rule (from the rule's first
    // application until the pointer is no longer followed).
    bool regionLive_ = false;
    // A rebuild waits while a button is held, and the release brings it.
    bool regionPending_ = false;
    platform::Subscription releaseLocal_;
    platform::Subscription releaseGlobal_;
    StrokeCoverage coverage_;
    // What the coverage counts: the strokes at this revision, at this scale,
    // with display 0 taken as this first screen's.
    struct CountedStrokes {
        std::uint64_t revision = 0;
        double scale = 1;
        platform::DisplayID firstScreen = 0;
    };
    std::optional<CountedStrokes> counted_;
    // What the window's region was last made from, and the window's and
    // the coverage's counts of changes then: while all of them still hold,
    // a change of the strokes changes only the pixels they turned.
    struct AppliedRegion {
        QRegion allowed;
        bool overStrokesOnly = false;
        QPoint contentOffset;
        std::uint64_t windowRevision = 0;
        std::uint64_t coverageGeneration = 0;
    };
    std::optional<AppliedRegion> applied_;
    platform::Subscription frameWatch_;
    platform::Subscription placementWatch_;
    QElapsedTimer shownAt_;
    platform::Subscription screensWatch_;
    platform::Subscription ourWindowsWatch_;
    std::vector<platform::Rect> ourWindows_;
};

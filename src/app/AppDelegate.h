#pragma once

// The application delegate: launch, the status item, the toolbar and settings windows, and the shell's monitors.

#include "model/DrawingState.h"
#include "platform/Application.h"
#include "platform/DisplayLink.h"
#include "platform/Event.h"
#include "platform/Lifetime.h"
#include "platform/ScreenGrabber.h"
#include "platform/StatusItem.h"
#include "platform/Subscription.h"
#include "platform/WindowList.h"
#include "ui/Bindings.h"

#include <functional>
#include <memory>
#include <optional>

class InfoPanels;
class ScreenCaptureCoordinator;
class SettingsWindowController;
class ToolbarWindowController;
class WindowAttachManager;

// What the delegate takes from the running system; the program passes the
// real ones, tests their own.
struct AppServices {
    DrawingStateEnvironment environment;
    // Claims the single running instance; false: another copy runs.
    std::function<bool()> claimSingleInstance;
    // Asks the application to terminate (through applicationShouldTerminate).
    std::function<void()> terminate;
    // Sends copy, paste, cut or select-all to the focused field; whether one
    // handled it.
    std::function<bool(platform::EditAction)> sendEditAction;
    // Ends the session's run: power-off and logout.
    platform::Signal<>* willPowerOff = nullptr;
    // Brings the application forward (showing the toolbar does); none: nothing.
    std::function<void()> activate;
    // The tray icon (or its launcher); none: no status item at all.
    std::function<std::unique_ptr<platform::StatusItem>(platform::ScreenProvider&)> makeStatusItem;
    // Other programs' windows and the display links that follow a pinned
    // one; none: no window can be pinned.
    std::shared_ptr<platform::WindowList> windowList;
    platform::DisplayLinkFactory makeDisplayLink;
    // Seconds on the display links' clock; empty: platform::mediaTime.
    std::function<double()> mediaTime;
    // Takes the screenshots; none: a capture stops after its countdown.
    std::shared_ptr<platform::ScreenGrabber> screenGrabber;
    // Seconds between the capture countdown's three ticks.
    double captureCountdownTickSeconds = 1.0;
    // How long a tooltip chip stays up (TooltipManager::setHoldSeconds);
    // none: the manager's own.
    std::optional<double> tooltipHoldSeconds;
    // How long a new overlay waits for the window manager to put it in
    // place (OverlayWindowController::factory); none: the overlays' own.
    std::optional<double> overlayPlacementWait;

    // The program's own: the X11 screens, pointer, window list and screen
    // grab, the stored preferences, the login item and the application
    // object. The user-facing timers (the tooltip chip's life, the capture
    // countdown) run timerScaleFrom(OVERINK_TIMER_SCALE) times slower.
    static AppServices standard();
    // The factor a test session sets in OVERINK_TIMER_SCALE, so that a
    // script on a busy machine still finds a chip or a countdown up when it
    // looks: 1 when unset or not a number from 1 to 1000.
    static double timerScaleFrom(const QString& value);
};

// The application's delegate: owns the one drawing state and every
// long-lived controller, wires everything together at launch, and turns a
// request to quit into clearing and hiding unless quitting was confirmed.
class AppDelegate : public platform::ApplicationDelegate {
public:
    // The identifier whose single instance is claimed.
    static constexpr const char* kBundleIdentifier = "org.overink.Overink";

    explicit AppDelegate(AppServices services);
    ~AppDelegate() override;

    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // ---- Launch and quit ----
    void applicationDidFinishLaunching() override;
    platform::TerminateReply applicationShouldTerminate() override;
    void setupApplication();

    // ---- Status item and settings panel ----
    // Left click: shows or hides the toolbar and the overlays together.
    void toggleToolbar();
    // Right click: shows or hides the settings panel.
    void toggleSettingsPanel();
    // Whether the pointer is over the status item, with a 3-point margin.
    bool isMouseOverStatusButton() const;

    // ---- Toolbar placement ----
    // Places the toolbar at the dock position on the screen (the main screen
    // without one), brings it to the front and marks it visible.
    void showToolbar(std::optional<platform::Screen> screen);
    // A new toolbar window for a new dock position, shown again at once only
    // when the old one was.
    void rebuildToolbar();
    // The displays changed: a shown toolbar that is not pinned and no longer
    // lies inside the visible frame of its display is placed again at its
    // dock position there (broken into lines as that frame needs), without
    // being brought forward.
    void screensDidChange();

    // ---- Pinning to another program's window ----
    // Picking started: the next click on another program's window pins.
    void beginWindowPick();
    void endWindowPick();
    // The pick monitor's handler: pins to the window under the pointer, if
    // one qualifies; otherwise picking goes on.
    void pickWindow();
    // The toolbar beside the pinned window's frame (flipping to the opposite
    // edge when it would leave the visible frame there and fits on the
    // other), then the overlay fitted to it.
    void positionToolbarForAttachedWindow(const platform::Rect& windowFrame);
    void updateCanvasConstraint(const platform::Rect& windowFrame);
    // Pinning ended: strokes, tracking, canvas area, overlay frame and
    // toolbar go back to how they were.
    void detachCleanup();
    void handleCaptureRequest();

    const std::shared_ptr<DrawingState>& drawingState() const { return drawingState_; }
    platform::StatusItem* statusItem() const { return statusItem_.get(); }
    ToolbarWindowController* toolbarController() const { return toolbarController_.get(); }
    SettingsWindowController* settingsController() const { return settingsController_.get(); }
    // The help and about panels the settings panel opens; they outlive it.
    InfoPanels* infoPanels() const { return infoPanels_.get(); }
    const std::shared_ptr<WindowAttachManager>& attachManager() const { return attachManager_; }
    const std::shared_ptr<ScreenCaptureCoordinator>& captureCoordinator() const { return captureCoordinator_; }
    // Whether launch went past the single-instance check.
    bool isLaunched() const { return launched_; }

private:
    void installKeyEquivalentMonitor();
    void installSettingsRightClickMonitors();
    std::optional<platform::Event> handleKeyEquivalent(const platform::Event& event);
    // The first screen meeting the frame, else the main screen, else the
    // first one.
    std::optional<platform::Screen> screenFor(const platform::Rect& frame) const;
    // Records whether the toolbar stands in the top row for a bottom dock
    // position.
    void setToolbarMovedToTopRow(bool moved);
    // The toolbar broken into lines for the screen's visible frame, then put
    // at its dock position there.
    void fitToolbar(const platform::Screen& screen);
    void placeToolbarAtDock(const platform::Screen& screen);
    // The overlays' input regions follow the passthrough rectangles at once.
    void passthroughRectsChanged();

    AppServices services_;
    std::unique_ptr<platform::StatusItem> statusItem_;
    std::unique_ptr<ToolbarWindowController> toolbarController_;
    std::unique_ptr<SettingsWindowController> settingsController_;
    std::unique_ptr<InfoPanels> infoPanels_;
    std::shared_ptr<DrawingState> drawingState_;
    std::shared_ptr<WindowAttachManager> attachManager_;
    // The dock position, picking and pinning flags.
    ui::Bindings stateBindings_;
    platform::Subscription pickMonitor_;
    std::optional<platform::Screen> preAttachToolbarScreen_;
    // Strokes were set aside by a pin and not yet brought back: only then
    // does a detach replace the strokes with them.
    bool strokesSetAside_ = false;
    std::shared_ptr<ScreenCaptureCoordinator> captureCoordinator_;
    platform::Subscription captureObserver_;
    platform::Subscription settingsRightClickLocal_;
    platform::Subscription settingsRightClickGlobal_;
    platform::Subscription keyEquivalentMonitor_;
    platform::Subscription powerOffObserver_;
    platform::Subscription screensObserver_;
    std::vector<platform::Subscription> statusItemClicks_;
    bool launched_ = false;
    // Handlers hold the delegate through this, and do nothing once it is gone.
    platform::Lifetime<AppDelegate> lifetime_{this};
};

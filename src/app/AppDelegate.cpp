#include "app/AppDelegate.h"

#include "app/OverlayWindowController.h"
#include "app/ToolbarPlacement.h"
#include "capture/ScreenCaptureCoordinator.h"
#include "capture/WindowAttachManager.h"
#include "panels/InfoPanels.h"
#include "platform/Dispatch.h"
#include "platform/EventMonitor.h"
#include "platform/LoginItem.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "platform/X11Mouse.h"
#include "platform/X11ScreenGrabber.h"
#include "platform/X11ScreenProvider.h"
#include "platform/X11WindowList.h"
#include "toolbar/SettingsWindowController.h"
#include "toolbar/ToolbarWindowController.h"
#include "ui/AnchorRef.h"
#include "ui/NotificationNames.h"
#include "ui/TooltipManager.h"

#include <QCoreApplication>

using platform::Event;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {
constexpr double kStatusButtonMargin = 3;
// The toolbar's size for picking when there is no toolbar window.
constexpr Size kFallbackToolbarSize{200, 50};
// The overlay keeps this far inside the pinned window's frame.
constexpr double kAttachedOverlayInset = 2;
// The strip along the pinned window's top that lets clicks through to its
// title bar.
constexpr double kTitleStripHeight = 26;

AttachEdge opposite(AttachEdge e) {
    switch (e) {
    case AttachEdge::top: return AttachEdge::bottom;
    case AttachEdge::bottom: return AttachEdge::top;
    case AttachEdge::left: return AttachEdge::right;
    case AttachEdge::right: return AttachEdge::left;
    }
    return e;
}
} // namespace

AppServices AppServices::standard() {
    AppServices s;
    s.environment.defaults = platform::UserDefaults::standard();
    s.environment.screens = std::make_shared<platform::X11ScreenProvider>();
    s.environment.mouse = std::make_shared<platform::X11Mouse>();
    s.environment.loginItem = std::shared_ptr<platform::LoginItem>(&platform::LoginItem::main(), [](auto*) {});
    auto& app = platform::Application::shared();
    s.claimSingleInstance = [&app] {
        return app.claimSingleInstance(QString::fromLatin1(AppDelegate::kBundleIdentifier));
    };
    s.terminate = [&app] { app.terminate(); };
    s.sendEditAction = [&app](platform::EditAction action) { return app.sendEditAction(action); };
    s.willPowerOff = &app.willPowerOff;
    s.activate = [&app] { app.activate(); };
    s.screenGrabber = std::make_shared<platform::X11ScreenGrabber>();
    s.makeStatusItem = [](platform::ScreenProvider& screens) {
        return std::make_unique<platform::StatusItem>(QStringLiteral("pencil.tip.crop.circle"),
                                                      QStringLiteral("Overink"), screens);
    };
    s.windowList = std::make_shared<platform::X11WindowList>(s.environment.screens);
    s.makeDisplayLink = [](platform::DisplayID display, platform::DisplayLink::Callback callback) {
        return platform::DisplayLink::create(display, std::move(callback));
    };
    s.mediaTime = platform::mediaTime;
    const double scale = timerScaleFrom(qEnvironmentVariable("OVERINK_TIMER_SCALE"));
    s.captureCountdownTickSeconds *= scale;
    s.tooltipHoldSeconds = TooltipManager::kHoldDuration * scale;
    return s;
}

double AppServices::timerScaleFrom(const QString& value) {
    bool ok = false;
    const double scale = value.trimmed().toDouble(&ok);
    // Never faster than a user's: a check may only gain time.
    return ok && scale >= 1 && scale <= 1000 ? scale : 1;
}

AppDelegate::AppDelegate(AppServices services) : services_(std::move(services)) {
    platform::assertMainThread("AppDelegate");
    const auto weakSelf = lifetime_.ref();
    services_.environment.overlayControllerFactory = OverlayWindowController::factory(
        [weakSelf] {
            AppDelegate* self = weakSelf.get();
            return self && self->isMouseOverStatusButton();
        },
        services_.overlayPlacementWait.value_or(OverlayWindowController::kPlacementWaitSeconds));
    if (services_.tooltipHoldSeconds) TooltipManager::shared().setHoldSeconds(*services_.tooltipHoldSeconds);
    drawingState_ = DrawingState::create(services_.environment);
    infoPanels_ = std::make_unique<InfoPanels>(*services_.environment.screens);
    attachManager_ = std::make_shared<WindowAttachManager>(WindowAttachServices{
        services_.windowList, services_.environment.screens, services_.makeDisplayLink, services_.mediaTime});
    const auto weak = lifetime_.ref();
    captureCoordinator_ = std::make_shared<ScreenCaptureCoordinator>(
        drawingState_, attachManager_,
        [weak]() -> ToolbarWindowController* {
            AppDelegate* self = weak.get();
            return self ? self->toolbarController_.get() : nullptr;
        },
        services_.environment.screens, services_.screenGrabber, services_.captureCountdownTickSeconds);
}

AppDelegate::~AppDelegate() {
    lifetime_.end();
    // Controllers go before the state they were made for.
    infoPanels_.reset();
    settingsController_.reset();
    toolbarController_.reset();
    if (drawingState_) {
        for (auto& [id, c] : drawingState_->overlayControllers)
            if (c) c->close();
        drawingState_->overlayControllers.clear();
    }
}

void AppDelegate::applicationDidFinishLaunching() { setupApplication(); }

void AppDelegate::setupApplication() {
    platform::assertMainThread("AppDelegate::setupApplication");
    // 1. One copy at a time: a second one ends before it shows anything.
    if (services_.claimSingleInstance && !services_.claimSingleInstance()) {
        drawingState_->isQuittingIntentionally = true;
        if (services_.terminate) services_.terminate();
        return;
    }
    launched_ = true;

    const auto weak = lifetime_.ref();
    auto alive = [weak]() -> AppDelegate* { return weak.get(); };

    // 4. Key equivalents without a menu.
    installKeyEquivalentMonitor();

    // 5. The session ends: let the termination that follows through.
    if (services_.willPowerOff) {
        powerOffObserver_ = services_.willPowerOff->connect([alive] {
            platform::assertMainThread("power-off");
            if (AppDelegate* self = alive()) self->drawingState_->isQuittingIntentionally = true;
        });
    }

    // 6. The parametric brushes that ship with the program, once the store
    // is tidied: only now is no other copy of the program importing into it.
    drawingState_->removeUnrecordedBrushFiles();
    drawingState_->installBundledGIMPBrushes();

    // 7. The status item.
    if (services_.makeStatusItem) statusItem_ = services_.makeStatusItem(*services_.environment.screens);
    if (statusItem_) {
        statusItemClicks_.push_back(statusItem_->leftClicked.connect([alive] {
            platform::assertMainThread("status item left click");
            if (AppDelegate* self = alive()) self->toggleToolbar();
        }));
        statusItemClicks_.push_back(statusItem_->rightClicked.connect([alive] {
            platform::assertMainThread("status item right click");
            if (AppDelegate* self = alive()) self->toggleSettingsPanel();
        }));
    }

    // 8. Right clicks on the status item, whichever way they arrive.
    installSettingsRightClickMonitors();

    // 9. The toolbar, not shown.
    toolbarController_ = std::make_unique<ToolbarWindowController>(drawingState_);

    // 10. The capture coordinator was given its references when it was made.

    // 11. Screenshots asked for by the toolbar.
    std::weak_ptr<ScreenCaptureCoordinator> coordinator = captureCoordinator_;
    captureObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
        Notifications::screenCaptureRequested, [alive, coordinator](const platform::Notification&) {
            platform::assertMainThread("capture request");
            if (!alive()) return;
            if (auto c = coordinator.lock()) c->startCapture();
        });

    // 12. The dock position, picking and pinning flags, on later turns.
    using platform::Initial;
    stateBindings_.followLater(drawingState_->toolbarDockPosition, weak,
                               [](AppDelegate& self, const ToolbarDockPosition&) { self.rebuildToolbar(); });
    stateBindings_.followLater(
        drawingState_->isPickingAttachWindow, weak,
        [](AppDelegate& self, bool picking) {
            if (picking) self.beginWindowPick();
            else self.endWindowPick();
        },
        Initial::Include);
    stateBindings_.followLater(
        drawingState_->isAttachedToWindow, weak,
        [](AppDelegate& self, bool attached) {
            if (!attached) self.detachCleanup();
        },
        Initial::Include);

    // 13. A display's size or visible frame changed (a screen resized, a
    // desktop panel came or went): a toolbar it left partly off the display
    // goes back to its dock position.
    screensObserver_ = drawingState_->screenProvider().screensChanged.connect([alive] {
        if (AppDelegate* self = alive()) self->screensDidChange();
    });
}

platform::TerminateReply AppDelegate::applicationShouldTerminate() {
    platform::assertMainThread("AppDelegate::applicationShouldTerminate");
    if (drawingState_->isQuittingIntentionally) return platform::TerminateReply::now;
    // Any other request only clears the drawing and hides; the program
    // stays in the tray.
    drawingState_->clearAll();
    if (toolbarController_ && toolbarController_->window()) toolbarController_->window()->close();
    drawingState_->isToolbarVisible = false;
    drawingState_->hideOverlays();
    return platform::TerminateReply::cancel;
}

// ---- Key equivalents ----

void AppDelegate::installKeyEquivalentMonitor() {
    const auto weak = lifetime_.ref();
    keyEquivalentMonitor_ =
        platform::EventMonitor::addLocal(platform::EventMasks::keyDown, [weak](const Event& e) -> std::optional<Event> {
            platform::assertMainThread("key equivalent");
            AppDelegate* self = weak.get();
            return self ? self->handleKeyEquivalent(e) : std::optional<Event>(e);
        });
}

std::optional<Event> AppDelegate::handleKeyEquivalent(const Event& event) {
    // Command alone: Shift, Option, Control or Caps Lock with it disable
    // every equivalent.
    if (event.deviceIndependentModifiers() != platform::ModifierFlags::command) return event;
    const QString keys = event.charactersIgnoringModifiers.toLower();
    if (keys.isEmpty()) return event;
    if (keys == QLatin1String("q")) {
        if (services_.terminate) services_.terminate();
        return std::nullopt;
    }
    std::optional<platform::EditAction> action;
    if (keys == QLatin1String("c")) action = platform::EditAction::copy;
    if (keys == QLatin1String("v")) action = platform::EditAction::paste;
    if (keys == QLatin1String("x")) action = platform::EditAction::cut;
    if (keys == QLatin1String("a")) action = platform::EditAction::selectAll;
    if (action && services_.sendEditAction && services_.sendEditAction(*action)) return std::nullopt;
    return event;
}

// ---- Status item and settings panel ----

void AppDelegate::installSettingsRightClickMonitors() {
    const auto weak = lifetime_.ref();
    settingsRightClickLocal_ = platform::EventMonitor::addLocal(
        platform::EventMasks::rightMouseDown, [weak](const Event& e) -> std::optional<Event> {
            platform::assertMainThread("status item right click (local)");
            AppDelegate* self = weak.get();
            if (!self || !self->isMouseOverStatusButton()) return e;
            self->toggleSettingsPanel();
            return std::nullopt;
        });
    settingsRightClickGlobal_ =
        platform::EventMonitor::addGlobal(platform::EventMasks::rightMouseDown, [weak](const Event&) {
            platform::assertMainThread("status item right click (global)");
            AppDelegate* self = weak.get();
            if (self && self->isMouseOverStatusButton()) self->toggleSettingsPanel();
        });
}

bool AppDelegate::isMouseOverStatusButton() const {
    if (!statusItem_) return false;
    const auto frame = statusItem_->buttonFrame();
    if (!frame) return false;
    return frame->insetBy(-kStatusButtonMargin, -kStatusButtonMargin)
        .containsPointer(drawingState_->mouse().location());
}

void AppDelegate::toggleToolbar() {
    platform::assertMainThread("AppDelegate::toggleToolbar");
    if (!toolbarController_) return;
    // The toolbar window's own visibility decides, not the published flag.
    if (toolbarController_->window() && toolbarController_->window()->isVisible()) {
        toolbarController_->window()->close();
        drawingState_->isToolbarVisible = false;
        drawingState_->hideOverlays();
        return;
    }
    showToolbar(std::nullopt);
    drawingState_->showOverlays();
}

void AppDelegate::toggleSettingsPanel() {
    platform::assertMainThread("AppDelegate::toggleSettingsPanel");
    if (settingsController_ && settingsController_->window() && settingsController_->window()->isVisible()) {
        settingsController_->closePanel();
        settingsController_.reset();
        return;
    }
    settingsController_.reset();
    platform::StatusItem* item = statusItem_.get();
    const bool anchored = item != nullptr;
    auto anchor =
        anchored ? std::make_shared<AnchorRef>([item] { return item->buttonFrame(); }) : std::make_shared<AnchorRef>();
    // Its Quit asks for termination the way the rest of the program does;
    // its help and about panels are kept here, since it goes away with every
    // closing.
    const auto weak = lifetime_.ref();
    SettingsPanelServices panelServices{services_.activate, services_.terminate,
                                        [weak] {
                                            if (AppDelegate* self = weak.get()) self->infoPanels_->openHelp();
                                        },
                                        [weak] {
                                            if (AppDelegate* self = weak.get()) self->infoPanels_->openAbout();
                                        }};
    settingsController_ =
        std::make_unique<SettingsWindowController>(drawingState_, nullptr, anchor, anchored, std::move(panelServices));
    settingsController_->showWindow();
}

// ---- Toolbar placement ----

void AppDelegate::showToolbar(std::optional<platform::Screen> screen) {
    platform::assertMainThread("AppDelegate::showToolbar");
    if (!screen) screen = drawingState_->screenProvider().mainScreen();
    if (!screen) return;
    platform::Window* window = toolbarController_ ? toolbarController_->window() : nullptr;
    if (!window) return;
    drawingState_->isToolbarVisible = true;
    // Every control stays on the screen: a toolbar longer than the visible
    // frame allows breaks into lines.
    fitToolbar(*screen);
    const platform::Rect frame = window->frame();
    // Beside the pinned window while it is still listed; the edge was
    // chosen when its frame last changed.
    if (const auto pinned = pinnedToolbarOrigin(drawingState_->isAttachedToWindow, *attachManager_, frame.size)) {
        setToolbarMovedToTopRow(false);
        window->setFrame(platform::Rect(*pinned, frame.size));
        window->orderFront();
        if (services_.activate) services_.activate();
        return;
    }
    placeToolbarAtDock(*screen);
    window->orderFront();
    if (services_.activate) services_.activate();
}

void AppDelegate::fitToolbar(const platform::Screen& screen) {
    toolbarController_->fitToLength(dockedToolbarMaxLength(drawingState_->toolbarDockPosition, screen.visibleFrame));
}

void AppDelegate::placeToolbarAtDock(const platform::Screen& screen) {
    platform::Window* window = toolbarController_->window();
    const ToolbarDockPosition position = drawingState_->toolbarDockPosition;
    const platform::Size size = window->frame().size;
    // Its panels and chips open towards the row it stands in.
    setToolbarMovedToTopRow(dockedToolbarMovesToTopRow(position, screen.visibleFrame, screen.frame));
    window->setFrame(platform::Rect(dockedToolbarOrigin(position, screen.visibleFrame, screen.frame, size), size));
}

void AppDelegate::screensDidChange() {
    platform::assertMainThread("AppDelegate::screensDidChange");
    platform::Window* window = toolbarController_ ? toolbarController_->window() : nullptr;
    if (!window || !window->isVisible()) return;
    // A pinned toolbar keeps its edge beside its window.
    if (drawingState_->isAttachedToWindow && attachManager_->targetWindowID() != 0) return;
    const platform::ScreenProvider& screens = drawingState_->screenProvider();
    const auto screen = screenForDisplacedToolbar(window->frame(), screens.screens(), screens.mainScreen());
    if (!screen) return;
    // Placed again where it is shown now, without taking the keyboard.
    fitToolbar(*screen);
    placeToolbarAtDock(*screen);
}

void AppDelegate::setToolbarMovedToTopRow(bool moved) {
    // Assigned on a change only: the toolbar follows every assignment.
    if (drawingState_->isToolbarMovedToTopRow != moved) drawingState_->isToolbarMovedToTopRow = moved;
}

void AppDelegate::rebuildToolbar() {
    platform::assertMainThread("AppDelegate::rebuildToolbar");
    const bool wasVisible =
        toolbarController_ && toolbarController_->window() && toolbarController_->window()->isVisible();
    if (toolbarController_ && toolbarController_->window()) toolbarController_->window()->close();
    drawingState_->isToolbarVisible = false;
    // The old window is closed now and deleted on a later turn.
    toolbarController_ = std::make_unique<ToolbarWindowController>(drawingState_);
    if (wasVisible) showToolbar(std::nullopt);
}

// ---- Pinning ----

std::optional<platform::Screen> AppDelegate::screenFor(const Rect& frame) const {
    const platform::ScreenProvider& provider = drawingState_->screenProvider();
    const auto screens = provider.screens();
    for (const platform::Screen& s : screens)
        if (s.frame.intersects(frame)) return s;
    if (auto main = provider.mainScreen()) return main;
    if (!screens.empty()) return screens.front();
    return std::nullopt;
}

void AppDelegate::beginWindowPick() {
    platform::assertMainThread("AppDelegate::beginWindowPick");
    const auto weak = lifetime_.ref();
    // Replacing the token removes a monitor left from an earlier pick.
    pickMonitor_ = platform::EventMonitor::addGlobal(platform::EventMasks::leftMouseDown, [weak](const Event&) {
        platform::assertMainThread("pick monitor");
        if (AppDelegate* self = weak.get()) self->pickWindow();
    });
}

void AppDelegate::endWindowPick() {
    platform::assertMainThread("AppDelegate::endWindowPick");
    pickMonitor_.cancel();
}

void AppDelegate::pickWindow() {
    platform::assertMainThread("AppDelegate::pickWindow");
    // The monitor goes on a later turn once picking ends: a second click
    // before that must not set aside the (by then empty) drawing again and
    // lose the strokes set aside by the first.
    if (!drawingState_->isPickingAttachWindow || drawingState_->isAttachedToWindow) return;

    const Point p = drawingState_->mouse().location();
    const auto screens = drawingState_->screenProvider().screens();
    const double primaryHeight = screens.empty() ? 0 : screens.front().frame.height();
    const auto pid = static_cast<std::int32_t>(QCoreApplication::applicationPid());
    const auto picked = attachManager_->windowUnderPoint(Point(p.x, primaryHeight - p.y), pid);
    // Not a window to pin to: picking goes on.
    if (!picked) return;

    const auto screen = screenFor(picked->frame);
    platform::Window* toolbar = toolbarController_ ? toolbarController_->window() : nullptr;
    const Size toolbarSize = toolbar ? toolbar->frame().size : kFallbackToolbarSize;
    const AttachEdge edge =
        WindowAttachManager::chooseEdge(picked->frame, screen ? screen->visibleFrame : Rect(), toolbarSize);

    const auto weak = lifetime_.ref();
    attachManager_->attach(picked->windowID, edge, picked->frame, [weak](const Rect& frame) {
        if (AppDelegate* self = weak.get()) self->positionToolbarForAttachedWindow(frame);
    });
    attachManager_->onWindowGone = [weak] {
        if (AppDelegate* self = weak.get()) self->drawingState_->isAttachedToWindow = false;
    };
    preAttachToolbarScreen_ =
        toolbar ? toolbar->screen(drawingState_->screenProvider()) : std::optional<platform::Screen>();
    // Open edits end and are set aside with the rest.
    drawingState_->hideStrokesForAttach();
    strokesSetAside_ = true;
    positionToolbarForAttachedWindow(picked->frame);
    drawingState_->isAttachedToWindow = true;
    drawingState_->isPickingAttachWindow = false;
}

void AppDelegate::positionToolbarForAttachedWindow(const Rect& windowFrame) {
    platform::assertMainThread("AppDelegate::positionToolbarForAttachedWindow");
    platform::Window* toolbar = toolbarController_ ? toolbarController_->window() : nullptr;
    if (!toolbar) return;
    const auto screen = screenFor(windowFrame);
    const Size size = toolbar->frame().size;
    AttachEdge edge = attachManager_->attachEdge();
    // The toolbar stays on its edge while it fits there; otherwise it moves
    // to the opposite edge if it fits there, and stays put if neither does.
    if (screen) {
        const Rect& visible = screen->visibleFrame;
        const auto fits = [&](AttachEdge e) {
            return visible.contains(Rect(WindowAttachManager::toolbarOrigin(windowFrame, e, size), size));
        };
        if (!fits(edge) && fits(opposite(edge))) edge = opposite(edge);
    }
    attachManager_->setAttachEdge(edge);
    // Beside the window it stands in no row of the screen.
    setToolbarMovedToTopRow(false);
    const Size current = toolbar->frame().size;
    toolbar->setFrame(Rect(WindowAttachManager::toolbarOrigin(windowFrame, edge, current), current));
    updateCanvasConstraint(windowFrame);
}

void AppDelegate::updateCanvasConstraint(const Rect& windowFrame) {
    platform::assertMainThread("AppDelegate::updateCanvasConstraint");
    const auto screen = screenFor(windowFrame);
    const platform::DisplayID display = screen ? screen->displayID : 0;
    const Rect inset = windowFrame.insetBy(kAttachedOverlayInset, kAttachedOverlayInset);
    const QRectF canvasArea(0, 0, inset.width(), inset.height());
    // Written only when it changes: observers are not stirred every frame.
    if (drawingState_->canvasConstraintFrame.get() != canvasArea) drawingState_->canvasConstraintFrame = canvasArea;
    drawingState_->setAttachedOverlayFrame(inset, display);
    const std::vector<QRectF> strip{QRectF(0, 0, inset.width(), kTitleStripHeight)};
    if (drawingState_->overlayPassthroughRects != strip) {
        drawingState_->overlayPassthroughRects = strip;
        passthroughRectsChanged();
    }
}

void AppDelegate::detachCleanup() {
    platform::assertMainThread("AppDelegate::detachCleanup");
    // Runs for every false value, the one at launch included: strokes come
    // back only when a pin set them aside, or a drawing made since would be
    // replaced by an empty list.
    if (strokesSetAside_) {
        drawingState_->restoreStrokesAfterAttach();
        strokesSetAside_ = false;
    }
    attachManager_->detach();
    drawingState_->canvasConstraintFrame = std::nullopt;
    drawingState_->overlayPassthroughRects.clear();
    passthroughRectsChanged();
    drawingState_->restoreOverlayFrames();
    platform::Window* toolbar = toolbarController_ ? toolbarController_->window() : nullptr;
    if (toolbar && toolbar->isVisible()) {
        // The screen kept from before the pin may have changed or gone since
        // (monitors merged, a panel took an edge): the dock position is
        // taken on that display as it is now, else on the main screen.
        std::optional<platform::Screen> screen;
        if (preAttachToolbarScreen_)
            screen = screenNowFor(*preAttachToolbarScreen_, drawingState_->screenProvider().screens());
        showToolbar(screen);
    }
    preAttachToolbarScreen_.reset();
}

void AppDelegate::passthroughRectsChanged() {
    for (const auto& [id, controller] : drawingState_->overlayControllers)
        if (auto* overlay = dynamic_cast<OverlayWindowController*>(controller.get()))
            overlay->passthroughRectsChanged();
}

void AppDelegate::handleCaptureRequest() {
    if (captureCoordinator_) captureCoordinator_->startCapture();
}

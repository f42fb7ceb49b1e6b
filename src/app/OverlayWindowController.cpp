#include "app/OverlayWindowController.h"

#include "app/OverlayCanvas.h"
#include "app/OverlayWindow.h"
#include "app/PassthroughHostingView.h"
#include "app/PointerRegion.h"
#include "app/PointerRules.h"
#include "canvas/CanvasPassGroup.h"
#include "model/DrawingState.h"
#include "platform/Application.h"
#include "platform/Dispatch.h"
#include "platform/EventMonitor.h"
#include "ui/OpenPanelRegistry.h"
#include "ui/PanelKeyboard.h"

#include <QApplication>
#include <QGuiApplication>

#include <cmath>

using platform::Event;
using platform::EventType;
using platform::EventMasks::leftMouseUp;
using platform::EventMasks::otherMouseUp;
using platform::EventMasks::rightMouseUp;

std::shared_ptr<OverlayWindowController>
OverlayWindowController::create(const platform::Screen& screen, const std::shared_ptr<DrawingState>& drawingState,
                                DisplayID displayID, std::shared_ptr<CanvasPassGroup> passGroup,
                                std::function<bool()> isMouseOverStatusItem, double placementWait) {
    platform::assertMainThread("OverlayWindowController::create");
    std::shared_ptr<OverlayWindowController> controller(
        new OverlayWindowController(screen, drawingState, displayID, std::move(passGroup)));
    controller->isMouseOverStatusItem_ = std::move(isMouseOverStatusItem);
    controller->placementWait_ = placementWait;
    // The monitors and subscriptions hold the controller weakly, so they are
    // made once it is owned.
    controller->setUp();
    return controller;
}

OverlayWindowController::Factory OverlayWindowController::factory(std::function<bool()> isMouseOverStatusItem,
                                                                  double placementWait) {
    // Made with the first controller, when the state exists.
    auto group = std::make_shared<std::shared_ptr<CanvasPassGroup>>();
    return [group, isMouseOverStatusItem, placementWait](DrawingState& state, const platform::Screen& screen) {
        auto shared = state.shared_from_this();
        if (!*group) *group = CanvasPassGroup::make(shared);
        return std::static_pointer_cast<OverlayController>(
            create(screen, shared, screen.displayID, *group, isMouseOverStatusItem, placementWait));
    };
}

OverlayWindowController::OverlayWindowController(const platform::Screen& screen,
                                                 const std::shared_ptr<DrawingState>& drawingState, DisplayID displayID,
                                                 std::shared_ptr<CanvasPassGroup> passGroup)
    : drawingState_(drawingState), displayID_(displayID) {
    // The whole display, panel areas included: the rule lets clicks through
    // outside the visible frame.
    window_ = platform::makeWindow<OverlayWindow>(windowFrameFor(screen.frame, drawingState->screenProvider()));
    QWidget* canvas = makeOverlayCanvas(drawingState, displayID, std::move(passGroup));
    hostingView_ = new PassthroughHostingView(canvas, drawingState, displayID);
    window_->setContentView(hostingView_);
}

OverlayWindowController::~OverlayWindowController() {
    eventMonitor_.cancel();
    mouseMoveGlobal_.cancel();
    mouseMoveLocal_.cancel();
    releaseLocal_.cancel();
    releaseGlobal_.cancel();
    observers_.clear();
}

void OverlayWindowController::setUp() {
    auto state = drawingState_.lock();
    if (!state) return;
    std::weak_ptr<OverlayWindowController> weak = weak_from_this();

    // Every flag that changes the rule applies it again, on a later turn.
    using platform::Initial;
    auto reapply = [](OverlayWindowController& c) {
        c.updateActivation();
        c.updateMousePassthrough();
    };
    observers_.onChangeLater(state->captureAll, weak, reapply, Initial::Include);
    observers_.onChangeLater(state->isPickingAttachWindow, weak, reapply, Initial::Include);
    observers_.onChangeLater(state->selectedTool, weak, reapply, Initial::Include);
    observers_.onChangeLater(state->isMoveMode, weak, reapply, Initial::Include);
    observers_.onChangeLater(state->isLineEditing, weak, reapply, Initial::Include);
    observers_.onChangeLater(state->isBezierEditing, weak, reapply, Initial::Include);
    observers_.onChangeLater(state->isTextEditing, weak, reapply, Initial::Include);
    // A modal file panel is up: the overlays step aside.
    observers_.onChangeLater(state->isImportingBrushes, weak, reapply, Initial::Include);

    // What else the region depends on: the strokes, the screens' visible
    // frames, the window's own frame.
    auto rebuild = [weak] {
        platform::dispatchMain([weak] {
            if (auto self = weak.lock()) self->updateInputRegion();
        });
    };
    observers_.onChangeLater(state->strokes, weak, [](OverlayWindowController& c) { c.updateInputRegion(); });
    screensWatch_ = state->screenProvider().screensChanged.connect(rebuild);
    frameWatch_ = window_->frameChanged.connect(rebuild);
    placementWatch_ = window_->placement().placedOnServer.connect([weak] {
        if (auto self = weak.lock()) self->updateInputRegion();
    });
    // At once, not on a later turn: the region must leave a window that
    // shows its place before the first click on it can arrive.
    ourWindowsWatch_ = platform::Window::arrangementChanged().connect([weak](platform::Window* changed) {
        auto self = weak.lock();
        if (self && changed != self->window_.get()) self->ourWindowsChanged();
    });

    // The pointer is followed only while the toolbar and this overlay are
    // meant to be shown.
    auto monitorFlag = [](OverlayWindowController& c) { c.recomputeMonitorFlag(); };
    observers_.onChangeLater(state->isToolbarVisible, weak, monitorFlag, Initial::Include);
    observers_.onChangeLater(state->isOverlayVisible, weak, monitorFlag, Initial::Include);
    observers_.onChangeLater(state->hiddenDisplayIDs, weak, monitorFlag, Initial::Include);

    constexpr platform::EventMask watched =
        platform::EventMasks::rightMouseDown | platform::EventMasks::keyDown | platform::EventMasks::scrollWheel;
    eventMonitor_ = platform::EventMonitor::addLocal(watched, [weak](const Event& e) -> std::optional<Event> {
        platform::assertMainThread("overlay event monitor");
        auto self = weak.lock();
        if (!self) return e;
        return self->handleEvent(e);
    });
}

std::vector<platform::Rect> OverlayWindowController::framesOfOurWindows() const {
    std::vector<platform::Rect> frames;
    for (platform::Window* w : platform::Window::all()) {
        // Where the server has them: a window manager may hold one away
        // from where it asked for a moment, and the overlay takes the
        // presses there meanwhile. Another display's overlay over this one
        // (pinned to a window moved onto this display) takes or passes the
        // presses over it itself.
        if (w != window_.get() && w->stacking().goesAbove(window_->stacking()) && w->isVisible() &&
            !w->shape().ignoresMouseEvents())
            frames.push_back(w->placement().placedFrame());
    }
    return frames;
}

void OverlayWindowController::ourWindowsChanged() {
    if (closed_ || framesOfOurWindows() == ourWindows_) return;
    updateInputRegion();
}

void OverlayWindowController::updateActivation() {
    auto state = drawingState_.lock();
    if (!window_ || !state || closed_) return;
    // In passthrough a press only grabs a placed stroke, and a click there
    // must not take the keyboard from the program the user types in.
    const PointerModes m = PointerModes::of(*state);
    window_->keyboard().setNonActivatingPanel(!m.takesEverywhere());
}

void OverlayWindowController::recomputeMonitorFlag() {
    auto state = drawingState_.lock();
    if (!state || closed_) return;
    // The latest values of the three fields, read once they are stored;
    // repeats are dropped.
    const bool active =
        state->isToolbarVisible && state->isOverlayVisible && !state->hiddenDisplayIDs->count(displayID_);
    if (monitorFlag_ == active) return;
    monitorFlag_ = active;
    updateMouseMonitors(active);
}

// ---- OverlayController ----

bool OverlayWindowController::hasWindow() const { return window_ != nullptr; }

bool OverlayWindowController::isWindowVisible() const { return window_ && window_->isVisible(); }

platform::Rect OverlayWindowController::windowFrame() const { return window_ ? window_->frame() : platform::Rect(); }

platform::Rect OverlayWindowController::windowFrameFor(const platform::Rect& frame,
                                                       const platform::ScreenProvider& screens) {
    // Window managers treat an undecorated window exactly the size of a
    // display as a full-screen one once it has the keyboard, and lift it
    // above everything, our toolbar and panels included: the overlay leaves
    // out the display's bottom row.
    for (const platform::Screen& s : screens.screens()) {
        if (s.frame == frame && frame.height() > 1)
            return platform::Rect(frame.minX(), frame.minY() + 1, frame.width(), frame.height() - 1);
    }
    return frame;
}

void OverlayWindowController::setWindowFrame(const platform::Rect& frame, bool display) {
    if (!window_) return;
    auto state = drawingState_.lock();
    window_->setFrame(state ? windowFrameFor(frame, state->screenProvider()) : frame);
    if (display && window_->contentView()) window_->contentView()->repaint();
}

void OverlayWindowController::showWindow() {
    platform::assertMainThread("OverlayWindowController::showWindow");
    if (!window_) return;
    shownAt_.start();
    // Where its presses are placed, and the rule's region, before the
    // window goes on screen: the press that comes as soon as it shows is
    // routed by them.
    window_->placement().setPointerAtRequestedFrame(placesPointerAtFrame());
    recomputeMonitorFlag();
    std::weak_ptr<OverlayWindowController> weak = weak_from_this();
    // A window manager that keeps the window elsewhere is not waited for
    // beyond this.
    platform::dispatchMainAfter(placementWait_, [weak] {
        if (auto self = weak.lock()) self->updateInputRegion();
    });
    window_->orderFront();
    platform::Application::shared().activate();
}

bool OverlayWindowController::awaitsPlacement() const {
    return !window_->placement().standsAtFrame() && shownAt_.isValid() && shownAt_.elapsed() < placementWait_ * 1000;
}

bool OverlayWindowController::placesPointerAtFrame() const {
    // A window manager may first show the window below a panel it
    // overlaps, until the window asks again. Meanwhile it takes the presses
    // where it is, and places them where it is about to stand: a stroke
    // begun then is drawn under the pointer, and shows there once the
    // window has moved. Only a window manager that keeps it elsewhere
    // beyond the wait has them placed where it is.
    return window_->placement().standsAtFrame() || awaitsPlacement();
}

void OverlayWindowController::orderFront() {
    if (window_) window_->orderFront();
}

void OverlayWindowController::raiseAboveOtherOverlays() {
    if (window_) window_->stacking().raiseAmongItsLevel();
}

void OverlayWindowController::makeKey() {
    if (window_) window_->keyboard().makeKey();
}

void OverlayWindowController::setIgnoresMouseEvents(bool ignores) {
    if (window_) window_->shape().setIgnoresMouseEvents(ignores);
}

void OverlayWindowController::setWindowLevel(int level) {
    if (window_) window_->stacking().setLevel(level);
}

void OverlayWindowController::close() {
    platform::assertMainThread("OverlayWindowController::close");
    eventMonitor_.cancel();
    removeMouseMoveMonitors();
    frameWatch_.cancel();
    placementWatch_.cancel();
    screensWatch_.cancel();
    ourWindowsWatch_.cancel();
    observers_.clear();
    closed_ = true;
    if (window_) window_->close();
}

// ---- The pointer rule ----

void OverlayWindowController::updateMouseMonitors(bool active) {
    if (active) installMouseMoveMonitors();
    else removeMouseMoveMonitors();
}

void OverlayWindowController::installMouseMoveMonitors() {
    platform::assertMainThread("OverlayWindowController::installMouseMoveMonitors");
    if (hasMouseMoveMonitors() || closed_) return;
    std::weak_ptr<OverlayWindowController> weak = weak_from_this();
    // Clicks are routed by the input region, so the pointer's movements are
    // not followed at all: with nothing moving, nothing runs. A button's
    // release, wherever it lands, ends a live stroke left over from a drag
    // whose own release never reached the canvas, and brings a rebuild put
    // off during the drag. Checked on a later turn, once the canvas has had
    // the release.
    auto released = [weak] {
        platform::dispatchMain([weak] {
            if (auto self = weak.lock()) self->buttonReleased();
        });
    };
    constexpr platform::EventMask ups = leftMouseUp | rightMouseUp | otherMouseUp;
    mouseMoveGlobal_ = platform::EventMonitor::addGlobal(ups, [released](const Event&) { released(); });
    mouseMoveLocal_ = platform::EventMonitor::addLocal(ups, [released](const Event& e) -> std::optional<Event> {
        released();
        return e;
    });
    updateMousePassthrough();
}

void OverlayWindowController::removeMouseMoveMonitors() {
    platform::assertMainThread("OverlayWindowController::removeMouseMoveMonitors");
    mouseMoveGlobal_.cancel();
    mouseMoveLocal_.cancel();
    // Until the rule is applied again, every click goes through.
    regionLive_ = false;
    regionPending_ = false;
    releaseLocal_.cancel();
    releaseGlobal_.cancel();
    if (window_) window_->shape().setIgnoresMouseEvents(true);
}

void OverlayWindowController::updateMousePassthrough() {
    platform::assertMainThread("OverlayWindowController::updateMousePassthrough");
    auto state = drawingState_.lock();
    if (!window_ || !state || closed_) return;
    // No button is held, so no drag is under way: a live stroke left over
    // from one that never ended goes. Both the server and the events taken
    // in so far must say so: behind a burst of input the server may already
    // have seen the release of a stroke whose press is all we have read.
    if (state->currentStroke.get() && QGuiApplication::mouseButtons() == Qt::NoButton &&
        state->mouse().state().buttons == 0)
        state->currentStroke = std::nullopt;
    regionLive_ = true;
    updateInputRegion();
}

void OverlayWindowController::buttonReleased() {
    auto state = drawingState_.lock();
    if (!window_ || !state || closed_) return;
    if (QGuiApplication::mouseButtons() != Qt::NoButton || state->mouse().pressedButtons() != 0) return;
    if (state->currentStroke.get()) state->currentStroke = std::nullopt;
    if (regionLive_ && regionPending_) updateInputRegion();
}

void OverlayWindowController::passthroughRectsChanged() {
    platform::assertMainThread("OverlayWindowController::passthroughRectsChanged");
    updateInputRegion();
}

void OverlayWindowController::updateInputRegion() {
    auto state = drawingState_.lock();
    if (!window_ || !state || closed_ || !regionLive_) return;
    // Never changed while a button is held: a drag keeps the window as it
    // is (and may change the strokes at every step).
    if (state->mouse().pressedButtons() != 0) {
        waitForRelease();
        return;
    }
    regionPending_ = false;
    releaseLocal_.cancel();
    releaseGlobal_.cancel();
    applyInputRegion(*state);
}

void OverlayWindowController::waitForRelease() {
    regionPending_ = true;
    if (releaseLocal_.isActive()) return;
    std::weak_ptr<OverlayWindowController> weak = weak_from_this();
    // On a later turn, once the drag's own end has changed what it changes.
    auto rebuild = [weak] {
        platform::dispatchMain([weak] {
            if (auto self = weak.lock()) self->updateInputRegion();
        });
    };
    constexpr platform::EventMask ups = leftMouseUp | rightMouseUp | otherMouseUp;
    releaseLocal_ = platform::EventMonitor::addLocal(ups, [rebuild](const Event& e) -> std::optional<Event> {
        rebuild();
        return e;
    });
    releaseGlobal_ = platform::EventMonitor::addGlobal(ups, [rebuild](const Event&) { rebuild(); });
}

bool OverlayWindowController::shouldAcceptMouse() const {
    auto state = drawingState_.lock();
    if (!state) return false;
    return shouldAcceptMouse(state->mouse().location());
}

bool OverlayWindowController::shouldAcceptMouse(const platform::Point& location) const {
    auto state = drawingState_.lock();
    if (!state || !window_) return false;
    const std::vector<platform::Screen> screens = state->screenProvider().screens();
    WindowPointerInput input;
    input.modes = PointerModes::of(*state);
    input.hasContentView = window_->contentView() != nullptr;
    input.windowFrame = window_->placement().placedFrame();
    input.screens = screens;
    const std::vector<platform::Rect> ours = framesOfOurWindows();
    input.ourWindows = ours;
    input.passthroughRects = state->overlayPassthroughRects;
    input.location = location;
    input.viewPoint = platform::toGlobal(location) - contentOrigin();
    const DisplayID display = displayID_;
    input.strokeUnderPoint = [&state, display](QPointF p) { return state->hasStroke(p, display); };
    return windowPointerRule(input).accepts;
}

// ---- Keys, scrolling, right clicks ----

namespace {

constexpr double kRightDoubleClickSeconds = 0.35;
constexpr double kRightDoubleClickDistance = 20;
constexpr double kScrollDeadZone = 0.01;
constexpr double kTrackpadPointsPerStep = 5.0;

constexpr std::uint64_t kShift = platform::ModifierFlags::shift;
constexpr std::uint64_t kCommand = platform::ModifierFlags::command;

// A modal alert or file dialog takes Esc to cancel itself, and a text field
// of ours outside the overlays (the toolbar's typed width, the font search,
// a harmony's name) keeps Delete and Esc for itself.
bool keysBelongElsewhere() {
    if (QApplication::activeModalWidget()) return true;
    QWidget* focus = QApplication::focusWidget();
    return ui::isTextEntry(focus) && !dynamic_cast<OverlayWindow*>(platform::Window::fromWidget(focus));
}

} // namespace

std::optional<Event> OverlayWindowController::handleEvent(const Event& event) {
    platform::assertMainThread("OverlayWindowController::handleEvent");
    // Hiding the overlays from here ends this controller; it stays alive
    // until the handler returns.
    auto keepAlive = shared_from_this();
    auto state = drawingState_.lock();
    switch (event.type) {
    case EventType::rightMouseDown: return state ? handleRightMouseDown(event, *state) : std::optional<Event>(event);
    case EventType::scrollWheel: return state ? handleScroll(event, *state) : std::optional<Event>(event);
    case EventType::keyDown: return handleKeyDown(event, state.get());
    default: return event;
    }
}

std::optional<Event> OverlayWindowController::handleRightMouseDown(const Event& event, DrawingState& state) {
    if (!state.isLineEditing && !state.isBezierEditing && !state.isOverlayVisible) return event;

    // The status item keeps its right clicks (its margin reaches into the
    // visible frame), and so do the desktop's panels on every edge, where
    // the tray may sit.
    if (isMouseOverStatusItem_ && isMouseOverStatusItem_()) return event;
    const platform::Point pointer = state.mouse().location();
    for (const platform::Screen& screen : state.screenProvider().screens()) {
        if (!screen.frame.containsPointer(pointer)) continue;
        if (!screen.visibleFrame.containsPointer(pointer)) return event;
        break;
    }

    // The location in the window the event belongs to, top-left origin.
    double height = 0;
    if (event.window) height = event.window->frame().height();
    else if (event.qtWindow) height = event.qtWindow->height();
    else if (window_) height = window_->frame().height();
    const QPointF location(event.locationInWindow.x, height - event.locationInWindow.y);

    const double now = event.timestamp;
    const bool paired = lastRightClickTime && now - *lastRightClickTime < kRightDoubleClickSeconds &&
                        std::hypot(location.x() - lastRightClickLocation.x(),
                                   location.y() - lastRightClickLocation.y()) < kRightDoubleClickDistance;
    if (paired) {
        state.rightDoubleClickLocation = location;
        // A third click starts a new pair.
        lastRightClickTime.reset();
    } else {
        lastRightClickTime = now;
        lastRightClickLocation = location;
    }
    // The text tool's layer opens a box by a right-button drag.
    if (state.selectedTool.get() == DrawingTool::text || state.isTextEditing) return event;
    return std::nullopt;
}

std::optional<Event> OverlayWindowController::handleScroll(const Event& event, DrawingState& state) {
    if (!state.isLineEditing) return event;
    const double delta = event.scrollingDeltaY;
    if (std::abs(delta) <= kScrollDeadZone) return std::nullopt;
    const bool trackpad =
        event.phase != platform::EventPhase::none || event.momentumPhase != platform::EventPhase::none;
    if (trackpad) {
        // Remainders carry over to the next event, and the next edit.
        scrollAccum += delta;
        while (scrollAccum >= kTrackpadPointsPerStep) {
            scrollAccum -= kTrackpadPointsPerStep;
            state.editingLineWidthStep = state.editingLineWidthStep.get() + 1;
        }
        while (scrollAccum <= -kTrackpadPointsPerStep) {
            scrollAccum += kTrackpadPointsPerStep;
            state.editingLineWidthStep = state.editingLineWidthStep.get() - 1;
        }
    } else {
        // One wheel notch is one step, whatever its size.
        state.editingLineWidthStep = state.editingLineWidthStep.get() + (delta > 0 ? 1 : -1);
    }
    return std::nullopt;
}

std::optional<Event> OverlayWindowController::handleKeyDown(const Event& event, DrawingState* state) {
    // Exact comparisons: Caps Lock or Fn makes a combination another one.
    const std::uint64_t modifiers = event.deviceIndependentModifiers();
    const std::uint16_t key = event.keyCode;
    const bool escape = key == platform::KeyCode::escape;
    const bool deleteKey = key == platform::KeyCode::deleteKey || key == platform::KeyCode::forwardDelete;

    if (modifiers == kCommand && key == platform::KeyCode::z) {
        if (state) state->undo();
        return std::nullopt;
    }
    if (modifiers == (kCommand | kShift) && key == platform::KeyCode::z) {
        if (state) state->redo();
        return std::nullopt;
    }
    if (!state) {
        if (escape && modifiers == kShift) return std::nullopt;
        return event;
    }
    if ((escape || (deleteKey && modifiers == 0)) && keysBelongElsewhere()) return event;
    if (escape) return escapeChain(event, *state);
    if (deleteKey && modifiers == 0) return deleteRule(event, *state);
    return event;
}

std::optional<Event> OverlayWindowController::escapeChain(const Event& event, DrawingState& state) {
    const std::uint64_t modifiers = event.deviceIndependentModifiers();
    // An open panel closes itself first, Shift+Esc included.
    if (OpenPanelRegistry::shared().isAnyOpen()) return event;
    if (state.isPickingAttachWindow) {
        state.isPickingAttachWindow = false;
        return std::nullopt;
    }
    if (state.isTextEditing) {
        state.isTextEditing = false;
        return std::nullopt;
    }
    if (state.isBezierEditing) {
        state.isBezierEditing = false;
        return std::nullopt;
    }
    if (state.isLineEditing) {
        state.isLineEditing = false;
        return std::nullopt;
    }
    if (modifiers == kShift) {
        if (state.isOverlayVisible) state.hideOverlays();
        else state.showOverlays();
        return std::nullopt;
    }
    if (state.isOverlayVisible && state.selectedTool.get()) {
        enterPassthroughMode();
        return std::nullopt;
    }
    return event;
}

std::optional<Event> OverlayWindowController::deleteRule(const Event& event, DrawingState& state) {
    // The text being edited gets the key.
    if (state.isTextEditing) return event;
    if (state.isLineEditing) {
        state.pendingDeleteEdit = true;
        return std::nullopt;
    }
    if (state.lastPlacedStrokeID.get()) {
        state.undo();
        return std::nullopt;
    }
    return event;
}

void OverlayWindowController::enterPassthroughMode() {
    platform::assertMainThread("OverlayWindowController::enterPassthroughMode");
    auto state = drawingState_.lock();
    if (!state) return;
    state->selectedTool = std::nullopt;
    state->isMoveMode = true;
}

// Showing and closing pop-up panels, their Esc and outside-click monitors,
// and placing them again when their displays change.
#include "ui/PanelController.h"

#include "platform/EventMonitor.h"
#include "ui/OpenPanelRegistry.h"
#include "ui/PanelScroller.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QWindow>

using platform::Event;

namespace ui {

// Tells when the pointer leaves the panel, and when a pop-up of its content
// (a menu) closes, which may be long after the pointer went elsewhere.
class PanelController::PointerWatch : public QObject {
public:
    PointerWatch(QWidget* host, std::function<void()> mayHaveLeft) : mayHaveLeft_(std::move(mayHaveLeft)) {
        host->installEventFilter(this);
    }
    void watchPopUp(QWidget* popUp) {
        if (popUp_ == popUp) return;
        if (popUp_) popUp_->removeEventFilter(this);
        popUp_ = popUp;
        if (popUp) popUp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Leave || (watched == popUp_.data() && event->type() == QEvent::Hide))
            mayHaveLeft_();
        return false;
    }

private:
    std::function<void()> mayHaveLeft_;
    QPointer<QWidget> popUp_;
};

platform::WindowPtr<> PanelController::makePanelWindow(const QString& title, double width, double height) {
    auto window = platform::makeWindow(platform::Rect(0, 0, width, height));
    window->setTitle(title);
    window->stacking().setLevel(platform::WindowLevel::panel);
    window->setOpaque(false);
    window->setBackgroundColor(Color::clear());
    window->setHasShadow(false);
    // Key only when one of its fields asks (PanelKeyboard).
    window->keyboard().setNonActivatingPanel(true);
    window->keyboard().setCanBecomeMain(false);
    return window;
}

PanelScroller* PanelController::hostContent(QWidget* root, std::function<PanelChrome::Corners()> corners) {
    platform::assertMainThread("PanelController::hostContent");
    auto* scroller = new PanelScroller(root, std::move(corners));
    window_->setContentView(scroller);
    scroller_ = scroller;
    return scroller;
}

PanelScroller* PanelController::scroller() const { return static_cast<PanelScroller*>(scroller_.data()); }

PanelController::PanelController(platform::WindowPtr<> window, std::function<void(bool)> setPanelIsOpen,
                                 Options options)
    : window_(std::move(window)),
      setPanelIsOpen_(std::move(setPanelIsOpen)),
      options_(options),
      dismissBox_(std::make_shared<DismissBox>()) {
    platform::assertMainThread("PanelController");
    const auto weak = lifetime_.ref();
    dismissBox_->dismiss = [weak] {
        if (PanelController* self = weak.get()) self->closePanel();
    };
}

PanelController::~PanelController() {
    platform::assertMainThread("~PanelController");
    // Scheduled closes, dismiss calls and the hold find the panel gone from
    // here on.
    lifetime_.end();
    hold_.cancel();
    OpenPanelRegistry::shared().unregisterPanel(this);
    removePanelMonitors();
    heldClickMonitors_.clear();
    heldPointerMonitors_.clear();
    displaysWatch_.cancel();
    pointerWatch_.reset();
}

// ---- Showing and closing ----

void PanelController::bringForward() { window_->orderFront(); }

void PanelController::showWindow() {
    platform::assertMainThread("PanelController::showWindow");
    // Listed before its monitors exist, so the overlays leave Esc to it.
    // Activating the application gives this panel the keyboard when no
    // window of ours holds it, so that its Esc arrives.
    OpenPanelRegistry& registry = OpenPanelRegistry::shared();
    if (registry.activatesOnRegistering() && !window_->isVisible()) window_->keyboard().takesKeyboardAsItShows();
    bringForward();
    registry.registerPanel(this, window_.get());
    installMonitors();
    didShow();
}

void PanelController::installMonitors() {
    // Shown again: the monitors of the last showing go first, never doubled.
    removePanelMonitors();
    hold_.cancel();
    heldClickMonitors_.clear();

    const auto weak = lifetime_.ref();
    monitors_.push_back(
        platform::EventMonitor::addLocal(platform::EventMasks::keyDown, [weak](const Event& e) -> std::optional<Event> {
            platform::assertMainThread("panel key monitor");
            PanelController* self = weak.get();
            return self ? self->handleEscapeKey(e) : std::optional<Event>(e);
        }));
    if (!options_.closesOnOutsideClick) return;

    constexpr platform::EventMask clicks = platform::EventMasks::leftMouseDown | platform::EventMasks::rightMouseDown;
    heldClickMonitors_.push_back(
        platform::EventMonitor::addLocal(clicks, [weak](const Event& e) -> std::optional<Event> {
            platform::assertMainThread("panel click monitor");
            PanelController* self = weak.get();
            return self ? self->handleOutsideClick(e) : std::optional<Event>(e);
        }));
    if (options_.watchesOtherApplications) {
        heldClickMonitors_.push_back(platform::EventMonitor::addGlobal(clicks, [weak](const Event& e) {
            platform::assertMainThread("panel global click monitor");
            if (PanelController* self = weak.get()) self->handleOutsideClick(e);
        }));
    }

    if (options_.clickMonitorHold <= 0) {
        recordClickMonitors();
        return;
    }
    hold_ = platform::dispatchMainAfter(options_.clickMonitorHold, [weak] {
        if (PanelController* self = weak.get()) self->recordClickMonitors();
    });
}

void PanelController::recordClickMonitors() {
    if (window_ && window_->isVisible()) {
        for (auto& m : heldClickMonitors_) monitors_.push_back(std::move(m));
    }
    // A panel closed during the hold drops them here.
    heldClickMonitors_.clear();
}

void PanelController::removePanelMonitors() {
    for (auto& m : monitors_) m.cancel();
    monitors_.clear();
}

void PanelController::closePanel() {
    platform::assertMainThread("PanelController::closePanel");
    if (!window_ || !window_->isVisible()) return;
    OpenPanelRegistry::shared().unregisterPanel(this);
    willClose();
    removePanelMonitors();
    stopWaitingForPointer();
    window_->close();
    auto setOpen = setPanelIsOpen_;
    platform::dispatchMain([setOpen] {
        if (setOpen) setOpen(false);
    });
}

void PanelController::scheduleClose() {
    const auto weak = lifetime_.ref();
    platform::dispatchMain([weak] {
        if (PanelController* self = weak.get()) self->closePanel();
    });
}

// ---- Monitors ----

std::optional<Event> PanelController::handleEscapeKey(const Event& event) {
    if (event.keyCode != platform::KeyCode::escape) return event;
    if (leavesEscape()) return event;
    // Esc with any modifiers: the panel takes it and nothing else sees it.
    scheduleClose();
    return std::nullopt;
}

bool PanelController::leavesPanelOpen(const Event& event) const {
    // The panel's own pop-ups (menus, lists) are windows of their own, made
    // for the panel: their clicks are the panel's.
    const QWindow* panel = window_->windowHandle();
    for (const QWindow* w = event.qtWindow.data(); w && panel; w = w->transientParent())
        if (w == panel) return true;
    return window_->frame().contains(event.locationOnScreen);
}

std::optional<Event> PanelController::handleOutsideClick(const Event& event) {
    // A panel that is no longer shown keeps no click from anyone.
    if (!window_ || !window_->isVisible()) return event;
    if (leavesPanelOpen(event)) return event;
    scheduleClose();
    return std::nullopt;
}

// ---- Displays and the pointer ----

void PanelController::followDisplays(platform::ScreenProvider& screens) {
    const auto weak = lifetime_.ref();
    displaysWatch_ = screens.screensChanged.connect([weak] {
        platform::assertMainThread("panel display change");
        // The toolbar is placed again on this turn, and its controls laid
        // out along it on the next.
        platform::dispatchMain([weak] {
            if (PanelController* self = weak.get()) self->displaysChanged();
        });
    });
}

void PanelController::displaysChanged() {
    if (!window_ || !window_->isVisible()) return;
    if (pointerInside()) {
        placeAgainPending_ = true;
        waitForPointerToLeave();
        return;
    }
    placeAgainPending_ = false;
    placeAgain();
}

bool PanelController::pointerInside() const {
    if (!window_) return false;
    const QPoint at = QCursor::pos();
    if (heldPointer_ && *heldPointer_ != at) heldPointer_.reset();
    return heldPointer_ || window_->frame().containsPointer(platform::toScreen(QPointF(at)));
}

void PanelController::holdPointer() {
    if (!window_ || !window_->isVisible()) return;
    // In the frame now, or held there since an earlier change and not moved.
    if (PanelController::pointerInside()) heldPointer_ = QCursor::pos();
}

void PanelController::waitForPointerToLeave() {
    awaitsPointer_ = true;
    if (!pointerWatch_) {
        const auto weak = lifetime_.ref();
        pointerWatch_ = std::make_unique<PointerWatch>(window_->widget(), [weak] {
            // After the event in flight, which may be the pointer's way into
            // a pop-up of the panel.
            platform::dispatchMain([weak] {
                if (PanelController* self = weak.get()) self->pointerMayHaveLeft();
            });
        });
    }
    watchHeldPointer();
}

void PanelController::watchHeldPointer() {
    if (!heldPointer_ || !awaitsPointer_) {
        heldPointerMonitors_.clear();
        return;
    }
    if (!heldPointerMonitors_.empty()) return;
    constexpr platform::EventMask moves = platform::EventMasks::mouseMoved | platform::EventMasks::leftMouseDragged |
                                          platform::EventMasks::rightMouseDragged |
                                          platform::EventMasks::otherMouseDragged;
    const auto weak = lifetime_.ref();
    const auto moved = [weak] {
        platform::dispatchMain([weak] {
            if (PanelController* self = weak.get()) self->pointerMayHaveLeft();
        });
    };
    heldPointerMonitors_.push_back(platform::EventMonitor::addLocal(moves, [moved](const Event& e) {
        moved();
        return std::optional<Event>(e);
    }));
    heldPointerMonitors_.push_back(platform::EventMonitor::addGlobal(moves, [moved](const Event&) { moved(); }));
}

void PanelController::pointerMayHaveLeft() {
    if (!awaitsPointer_ || !window_ || !window_->isVisible()) return;
    // A menu of the content stays where it opened: the panel waits for it.
    if (QWidget* popUp = QApplication::activePopupWidget()) {
        pointerWatch_->watchPopUp(popUp);
        return;
    }
    if (pointerInside()) {
        watchHeldPointer();
        return;
    }
    const bool placeAgainNow = placeAgainPending_;
    stopWaitingForPointer();
    if (placeAgainNow) placeAgain();
    pointerLeft();
}

void PanelController::stopWaitingForPointer() {
    awaitsPointer_ = false;
    placeAgainPending_ = false;
    heldPointer_.reset();
    heldPointerMonitors_.clear();
}

} // namespace ui

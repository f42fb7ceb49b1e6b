// Showing, closing and the Esc and outside-click monitors of anchored panels.
#include "ui/AnchoredPanelController.h"

#include "platform/EventMonitor.h"
#include "ui/OpenPanelRegistry.h"

using platform::Event;

namespace ui {

AnchoredPanelController::AnchoredPanelController(platform::WindowPtr<> window, std::shared_ptr<AnchorRef> anchorRef,
                                                 std::function<void(bool)> setPanelIsOpen, Options options)
    : window_(std::move(window)),
      anchorRef_(std::move(anchorRef)),
      setPanelIsOpen_(std::move(setPanelIsOpen)),
      options_(options),
      dismissBox_(std::make_shared<DismissBox>()) {
    platform::assertMainThread("AnchoredPanelController");
    const auto weak = lifetime_.ref();
    dismissBox_->dismiss = [weak] {
        if (AnchoredPanelController* self = weak.get()) self->closePanel();
    };
}

AnchoredPanelController::~AnchoredPanelController() {
    platform::assertMainThread("~AnchoredPanelController");
    // Scheduled closes and the hold find the panel gone from here on.
    lifetime_.end();
    hold_.cancel();
    OpenPanelRegistry::shared().unregisterPanel(this);
    removePanelMonitors();
    heldClickMonitors_.clear();
}

void AnchoredPanelController::placeOnMainScreen(const platform::ScreenProvider& screens) {
    const auto main = screens.mainScreen();
    if (!main || !window_) return;
    const platform::Rect v = main->visibleFrame;
    const platform::Rect f = window_->frame();
    window_->setFrame(platform::Rect(v.midX() - f.width() / 2, v.maxY() - 60 - f.height(), f.width(), f.height()));
}

void AnchoredPanelController::showWindow() {
    platform::assertMainThread("AnchoredPanelController::showWindow");
    window_->orderFront();
    // Listed before its monitors exist, so the overlays leave Esc to it.
    OpenPanelRegistry::shared().registerPanel(this);
    installMonitors();
}

void AnchoredPanelController::installMonitors() {
    // Shown again: the monitors of the last showing go first, never doubled.
    removePanelMonitors();
    hold_.cancel();
    heldClickMonitors_.clear();

    const auto weak = lifetime_.ref();
    monitors.push_back(
        platform::EventMonitor::addLocal(platform::EventMasks::keyDown, [weak](const Event& e) -> std::optional<Event> {
            platform::assertMainThread("panel key monitor");
            AnchoredPanelController* self = weak.get();
            return self ? self->handleEscapeKey(e) : std::optional<Event>(e);
        }));

    constexpr platform::EventMask clicks = platform::EventMasks::leftMouseDown | platform::EventMasks::rightMouseDown;
    heldClickMonitors_.push_back(
        platform::EventMonitor::addLocal(clicks, [weak](const Event& e) -> std::optional<Event> {
            platform::assertMainThread("panel click monitor");
            AnchoredPanelController* self = weak.get();
            return self ? self->handleOutsideClick(e) : std::optional<Event>(e);
        }));
    if (options_.watchesOtherApplications) {
        heldClickMonitors_.push_back(platform::EventMonitor::addGlobal(clicks, [weak](const Event& e) {
            platform::assertMainThread("panel global click monitor");
            if (AnchoredPanelController* self = weak.get()) self->handleOutsideClick(e);
        }));
    }

    if (options_.clickMonitorHold <= 0) {
        recordClickMonitors();
        return;
    }
    hold_ = platform::dispatchMainAfter(options_.clickMonitorHold, [weak] {
        if (AnchoredPanelController* self = weak.get()) self->recordClickMonitors();
    });
}

void AnchoredPanelController::recordClickMonitors() {
    if (window_ && window_->isVisible()) {
        for (auto& m : heldClickMonitors_) monitors.push_back(std::move(m));
    }
    // A panel closed during the hold drops them here.
    heldClickMonitors_.clear();
}

void AnchoredPanelController::removePanelMonitors() {
    for (auto& m : monitors) m.cancel();
    monitors.clear();
}

void AnchoredPanelController::closePanel() {
    platform::assertMainThread("AnchoredPanelController::closePanel");
    if (!window_ || !window_->isVisible()) return;
    OpenPanelRegistry::shared().unregisterPanel(this);
    removePanelMonitors();
    window_->close();
    auto setOpen = setPanelIsOpen_;
    platform::dispatchMain([setOpen] {
        if (setOpen) setOpen(false);
    });
}

void AnchoredPanelController::scheduleClose() {
    const auto weak = lifetime_.ref();
    platform::dispatchMain([weak] {
        if (AnchoredPanelController* self = weak.get()) self->closePanel();
    });
}

std::optional<Event> AnchoredPanelController::handleEscapeKey(const Event& event) {
    // Esc with any modifiers: the panel takes it and nothing else sees it.
    if (event.keyCode != platform::KeyCode::escape) return event;
    scheduleClose();
    return std::nullopt;
}

bool AnchoredPanelController::leavesPanelOpen(const platform::Point& location) const {
    if (window_->frame().contains(location)) return true;
    if (const auto anchor = anchorRef_ ? anchorRef_->frameOnScreen() : std::nullopt;
        anchor && anchor->insetBy(-kAnchorSlack, -kAnchorSlack).contains(location))
        return true;
    return false;
}

std::optional<Event> AnchoredPanelController::handleOutsideClick(const Event& event) {
    // A panel that is no longer shown keeps no click from anyone.
    if (!window_ || !window_->isVisible()) return event;
    if (leavesPanelOpen(event.locationOnScreen)) return event;
    scheduleClose();
    return std::nullopt;
}

} // namespace ui

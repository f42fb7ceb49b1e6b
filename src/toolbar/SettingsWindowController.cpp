#include "toolbar/SettingsWindowController.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "platform/EventMonitor.h"
#include "ui/OpenPanelRegistry.h"

#include <algorithm>

using platform::Event;

namespace {
// Clicks this close to the anchor belong to it, not to the outside.
constexpr double kAnchorSlack = 6;
} // namespace

SettingsWindowController::SettingsWindowController(const std::shared_ptr<DrawingState>& state,
                                                   std::function<void(bool)> setOpen,
                                                   std::shared_ptr<AnchorRef> anchorRef, bool anchoredToStatusItem)
    : state_(state),
      setOpen_(std::move(setOpen)),
      anchorRef_(std::move(anchorRef)),
      anchoredToStatusItem_(anchoredToStatusItem),
      window_(platform::makeWindow(platform::Rect(0, 0, kWidth, kHeight))) {
    platform::assertMainThread("SettingsWindowController");
    window_->setLevel(platform::WindowLevel::panel);
    window_->setBackgroundColor(Color{0.13, 0.13, 0.14, 0.96});
    window_->setHasShadow(true);
    window_->setNonActivatingPanel(true);
    window_->widget()->setAccessibleName(QStringLiteral("Overink settings"));
    place();
}

SettingsWindowController::~SettingsWindowController() {
    lifetime_.end();
    removePanelMonitors();
    OpenPanelRegistry::shared().unregisterPanel(this);
}

void SettingsWindowController::place() {
    auto state = state_.lock();
    if (!state) return;
    const auto& screens = state->screenProvider();
    std::optional<platform::Rect> anchor = anchorRef_ ? anchorRef_->frameOnScreen() : std::nullopt;
    if (anchoredToStatusItem_ && anchor) {
        // Under the anchor, on its screen, kept inside the visible frame.
        std::optional<platform::Screen> screen;
        for (const auto& s : screens.screens())
            if (s.frame.contains(platform::Point{anchor->midX(), anchor->midY()})) screen = s;
        if (!screen) screen = screens.mainScreen();
        double x = anchor->midX() - kWidth / 2;
        double y = anchor->minY() - kHeight - 4;
        if (screen) {
            const platform::Rect v = screen->visibleFrame;
            x = std::clamp(x, v.minX(), std::max(v.minX(), v.maxX() - kWidth));
            y = std::clamp(y, v.minY(), std::max(v.minY(), v.maxY() - kHeight));
        }
        window_->setFrame(platform::Rect(x, y, kWidth, kHeight));
        return;
    }
    if (const auto main = screens.mainScreen()) {
        const platform::Rect v = main->visibleFrame;
        window_->setFrame(platform::Rect(v.midX() - kWidth / 2, v.maxY() - 60 - kHeight, kWidth, kHeight));
    }
}

void SettingsWindowController::showWindow() {
    platform::assertMainThread("SettingsWindowController::showWindow");
    window_->orderFront();
    OpenPanelRegistry::shared().registerPanel(this);
    removePanelMonitors();
    const auto weak = lifetime_.ref();
    // Monitors only schedule the close, so the event in flight finishes.
    auto scheduleClose = [weak] {
        platform::dispatchMain([weak] {
            if (SettingsWindowController* self = weak.get()) self->closePanel();
        });
    };
    monitors.push_back(platform::EventMonitor::addLocal(
        platform::EventMasks::keyDown, [scheduleClose](const Event& e) -> std::optional<Event> {
            if (e.keyCode != platform::KeyCode::escape) return e;
            scheduleClose();
            return std::nullopt;
        }));
    constexpr platform::EventMask clicks = platform::EventMasks::leftMouseDown | platform::EventMasks::rightMouseDown;
    monitors.push_back(platform::EventMonitor::addLocal(
        clicks, [this, scheduleClose](const Event& e) -> std::optional<Event> {
            if (!window_->isVisible() || !isOutside(e.locationOnScreen)) return e;
            scheduleClose();
            return std::nullopt;
        }));
    monitors.push_back(platform::EventMonitor::addGlobal(clicks, [this, scheduleClose](const Event& e) {
        if (window_->isVisible() && isOutside(e.locationOnScreen)) scheduleClose();
    }));
}

bool SettingsWindowController::isOutside(const platform::Point& location) const {
    if (window_->frame().contains(location)) return false;
    if (anchorRef_) {
        if (const auto anchor = anchorRef_->frameOnScreen();
            anchor && anchor->insetBy(-kAnchorSlack, -kAnchorSlack).contains(location))
            return false;
    }
    return true;
}

void SettingsWindowController::closePanel() {
    platform::assertMainThread("SettingsWindowController::closePanel");
    if (!window_->isVisible()) return;
    removePanelMonitors();
    window_->close();
    OpenPanelRegistry::shared().unregisterPanel(this);
    auto setOpen = setOpen_;
    platform::dispatchMain([setOpen] {
        if (setOpen) setOpen(false);
    });
}

void SettingsWindowController::removePanelMonitors() {
    for (auto& m : monitors) m.cancel();
    monitors.clear();
}

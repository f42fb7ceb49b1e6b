// The countdown panel: showing, ticking, cancelling and closing.
#include "capture/CountdownOverlayController.h"

#include "capture/CountdownView.h"
#include "platform/Dispatch.h"
#include "platform/EventMonitor.h"
#include "ui/OpenPanelRegistry.h"

#include <QTimer>

using platform::Event;

CountdownOverlayController::CountdownOverlayController(const platform::Screen& screen, std::function<void()> onComplete,
                                                       std::function<void()> onCancel, double tickSeconds)
    : onComplete_(std::move(onComplete)),
      onCancel_(std::move(onCancel)),
      tickSeconds_(tickSeconds),
      window_(platform::makeWindow(
          platform::Rect(screen.frame.midX() - kSide / 2, screen.frame.midY() - kSide / 2, kSide, kSide))) {
    platform::assertMainThread("CountdownOverlayController");
    window_->stacking().setLevel(platform::WindowLevel::popUp);
    // It holds the keyboard while it counts (the program activates itself
    // for it), so that Esc reaches it, but a click never gives it the
    // keyboard.
    window_->keyboard().setNonActivatingPanel(true);
    window_->shape().setIgnoresMouseEvents(true);
    window_->setBackgroundColor(Color::clear());
    window_->setOpaque(false);
    window_->setHasShadow(false);
    view_ = new CountdownView(3);
    window_->setContentView(view_);
}

CountdownOverlayController::~CountdownOverlayController() {
    platform::assertMainThread("~CountdownOverlayController");
    lifetime_.end();
    timer_.reset();
    OpenPanelRegistry::shared().unregisterPanel(this);
    removeMonitors();
}

void CountdownOverlayController::showWindow() {
    platform::assertMainThread("CountdownOverlayController::showWindow");
    window_->orderFront();
    OpenPanelRegistry::shared().registerPanel(this, window_.get());
    installCancelMonitors();
    startTimer();
}

void CountdownOverlayController::installCancelMonitors() {
    const auto weak = lifetime_.ref();
    monitors_.push_back(
        platform::EventMonitor::addLocal(platform::EventMasks::keyDown, [weak](const Event& e) -> std::optional<Event> {
            platform::assertMainThread("countdown key monitor");
            if (e.keyCode != platform::KeyCode::escape) return e;
            if (auto* self = weak.get()) self->scheduleCancel();
            return std::nullopt;
        }));
    monitors_.push_back(platform::EventMonitor::addGlobal(
        platform::EventMasks::leftMouseDown | platform::EventMasks::rightMouseDown, [weak](const Event&) {
            platform::assertMainThread("countdown click monitor");
            if (auto* self = weak.get()) self->scheduleCancel();
        }));
}

// The event in flight is finished first; a cancel that runs after the
// countdown completed finds didFire set and does nothing.
void CountdownOverlayController::scheduleCancel() {
    const auto weak = lifetime_.ref();
    platform::dispatchMain([weak] {
        if (auto* self = weak.get()) self->cancel();
    });
}

void CountdownOverlayController::removeMonitors() {
    for (auto& m : monitors_) m.cancel();
    monitors_.clear();
}

void CountdownOverlayController::startTimer() {
    ticks_ = 0;
    timer_ = std::make_unique<QTimer>();
    timer_->setInterval(static_cast<int>(tickSeconds_ * 1000));
    const auto weak = lifetime_.ref();
    QObject::connect(timer_.get(), &QTimer::timeout, [weak] {
        auto* self = weak.get();
        if (!self) return;
        // Completing may close the countdown, and its owner may let it go.
        const bool done = self->tick();
        if (done && weak.get() && self->timer_) self->timer_->stop();
    });
    timer_->start();
}

bool CountdownOverlayController::isTimerRunning() const { return timer_ && timer_->isActive(); }

bool CountdownOverlayController::tick() {
    ticks_ += 1;
    if (ticks_ < kTicksToComplete) return false;
    if (!didFire_) {
        didFire_ = true;
        completing.emit();
        close();
        // Held here: the closure's owner may release this controller.
        if (auto complete = std::move(onComplete_)) complete();
    }
    return true;
}

void CountdownOverlayController::cancel() {
    if (didFire_) return;
    didFire_ = true;
    close();
    if (auto cancelled = std::move(onCancel_)) cancelled();
}

void CountdownOverlayController::close() {
    platform::assertMainThread("CountdownOverlayController::close");
    if (timer_) {
        timer_->stop();
        // Deleted on a later turn: close() may run inside its own timeout.
        timer_.release()->deleteLater();
    }
    OpenPanelRegistry::shared().unregisterPanel(this);
    removeMonitors();
    window_->orderOut();
}

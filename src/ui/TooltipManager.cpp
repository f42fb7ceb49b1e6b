#include "ui/TooltipManager.h"

#include "platform/Dispatch.h"
#include "platform/X11ScreenProvider.h"
#include "ui/AnchoredPanelPlacement.h"
#include "ui/TooltipChip.h"
#include "ui/TooltipPanel.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

struct AnchorPlace {
    Rect anchor; // the control, in screen space
    Rect window; // the window holding it
};

// Where the anchor's view and its window are on the screen; none when the
// anchor has no view or the view is in no shown window.
std::optional<AnchorPlace> locate(const AnchorRef& ref) {
    QWidget* view = ref.nsView;
    if (!view) return std::nullopt;
    QWidget* window = view->window();
    if (!window || !window->isVisible()) return std::nullopt;
    const auto anchor = ref.frameOnScreen();
    if (!anchor) return std::nullopt;
    const QPoint topLeft = window->mapToGlobal(QPoint(0, 0));
    return AnchorPlace{*anchor, platform::toScreen(QRectF(QPointF(topLeft), QSizeF(window->size())))};
}

} // namespace

TooltipManager& TooltipManager::shared() {
    platform::assertMainThread("TooltipManager::shared");
    // Never destroyed: controls may still call on it while the application
    // winds down.
    static auto* manager = new TooltipManager(std::make_shared<platform::X11ScreenProvider>(), TooltipClock::system());
    return *manager;
}

TooltipManager::TooltipManager(std::shared_ptr<const platform::ScreenProvider> screens,
                               std::shared_ptr<TooltipClock> clock)
    : screens_(std::move(screens)), clock_(std::move(clock)) {}

TooltipManager::~TooltipManager() {
    lifetime_.end();
    cancelTimers();
    fadeTimer_.reset();
}

void TooltipManager::request(const QString& text, const std::shared_ptr<AnchorRef>& anchor,
                             TooltipPlacement placement) {
    platform::assertMainThread("TooltipManager::request");
    if (!enabled_ || !anchor) return;
    // Already scheduled or shown for this control: the delay does not
    // start again.
    if (currentID_ == anchor.get()) return;
    if (phase_ == Phase::visible) fade(0, kReplacedFadeDuration, orderOutCompletion());
    cancelTimers();
    currentID_ = anchor.get();
    phase_ = Phase::pending;
    pendingText_ = text;
    pendingAnchor_ = anchor;
    pendingPlacement_ = placement;
    const auto weak = lifetime_.ref();
    showTimer_ = clock_->schedule(kShowDelay, false, [weak] {
        if (TooltipManager* self = weak.get()) {
            self->showTimer_.reset();
            self->present();
        }
    });
}

void TooltipManager::hide(const AnchorRef* anchor) {
    platform::assertMainThread("TooltipManager::hide");
    if (!currentID_ || currentID_ != anchor) return;
    cancelTimers();
    if (phase_ == Phase::visible) fade(0, kHideFadeDuration, orderOutCompletion());
    currentID_ = nullptr;
    phase_ = Phase::pending;
}

void TooltipManager::withdraw(const AnchorRef* anchor) {
    platform::assertMainThread("TooltipManager::withdraw");
    if (!currentID_ || currentID_ != anchor) return;
    cancelTimers();
    currentID_ = nullptr;
    phase_ = Phase::pending;
    // A fade in progress and its completion end here too.
    ++token_;
    fadeTimer_.reset();
    if (panel_) {
        panel_->setAlphaValue(0);
        panel_->orderOut();
    }
}

void TooltipManager::present() {
    platform::assertMainThread("TooltipManager::present");
    if (!pendingAnchor_) return;
    const auto place = locate(*pendingAnchor_);
    if (!place) return;

    ensurePanel();
    panel_->chip()->setText(pendingText_);
    // Named after its text, for accessibility tools and scripts.
    panel_->widget()->setWindowTitle(pendingText_);
    const QSize ideal = panel_->chip()->sizeHint();
    const Size size(ideal.width(), ideal.height());
    const Rect visible = visibleFrame(place->anchor);
    const Point origin =
        clampedOrigin(chipOrigin(pendingPlacement_, place->anchor, place->window, size, visible), size, visible);
    panel_->setFrame(Rect(origin, size));
    panel_->setAlphaValue(0);
    panel_->orderFront();

    phase_ = Phase::visible;
    anchoredAt_ = place->anchor.origin;
    fade(1, kFadeInDuration);
    const auto weak = lifetime_.ref();
    holdTimer_ = clock_->schedule(holdSeconds_, false, [weak] {
        if (TooltipManager* self = weak.get()) self->holdExpired();
    });
    pollTimer_ = clock_->schedule(kPollInterval, true, [weak, anchor = std::weak_ptr<AnchorRef>(pendingAnchor_)] {
        if (TooltipManager* self = weak.get()) self->poll(anchor);
    });
}

void TooltipManager::holdExpired() {
    cancelTimers();
    currentID_ = nullptr;
    phase_ = Phase::pending;
    fade(0, kHideFadeDuration, orderOutCompletion());
}

void TooltipManager::poll(const std::weak_ptr<AnchorRef>& anchor) {
    if (phase_ != Phase::visible || !anchoredAt_) return;
    if (const auto ref = anchor.lock()) {
        if (const auto place = locate(*ref)) {
            const Point now = place->anchor.origin;
            if (std::abs(now.x - anchoredAt_->x) <= kMoveTolerance &&
                std::abs(now.y - anchoredAt_->y) <= kMoveTolerance)
                return;
        }
    }
    cancelTimers();
    currentID_ = nullptr;
    phase_ = Phase::pending;
    fade(0, kMovedFadeDuration, orderOutCompletion());
}

void TooltipManager::cancelTimers() {
    showTimer_.reset();
    holdTimer_.reset();
    pollTimer_.reset();
}

void TooltipManager::fade(double alpha, double duration, std::function<void()> completion) {
    const unsigned fadeToken = ++token_;
    // A fade that was still running stops where it is; this one goes on from
    // there.
    fadeTimer_.reset();
    if (!panel_) return;
    const double from = panel_->alphaValue();
    if (duration <= 0) {
        stepFade(fadeToken, from, alpha, 0, clock_->now(), completion);
        return;
    }
    const auto weak = lifetime_.ref();
    const auto start = clock_->now();
    // Whole steps of about kFadeStep, so that the last one ends the fade.
    const double step = duration / std::ceil(duration / kFadeStep);
    fadeTimer_ = clock_->schedule(step, true, [weak, fadeToken, from, alpha, duration, start, completion] {
        if (TooltipManager* self = weak.get()) self->stepFade(fadeToken, from, alpha, duration, start, completion);
    });
}

void TooltipManager::stepFade(unsigned fadeToken, double from, double to, double duration,
                              TooltipClock::TimePoint start, const std::function<void()>& completion) {
    const double elapsed = std::chrono::duration<double>(clock_->now() - start).count();
    // The last step lands on the end; a rounding error short of it counts.
    const double progress = elapsed >= duration - 1e-4 ? 1.0 : std::max(0.0, elapsed / duration);
    panel_->setAlphaValue(from + (to - from) * progress);
    if (progress < 1) return;
    // The timer goes first; the completion is kept, since it lives in the
    // timer.
    const std::function<void()> done = completion;
    fadeTimer_.reset();
    if (done && token_ == fadeToken) done();
}

std::function<void()> TooltipManager::orderOutCompletion() {
    return [weak = lifetime_.ref()] {
        if (TooltipManager* self = weak.get(); self && self->panel_) self->panel_->orderOut();
    };
}

void TooltipManager::applyShowTooltips(bool show) {
    platform::assertMainThread("TooltipManager::applyShowTooltips");
    enabled_ = show;
    if (show) return;
    cancelTimers();
    currentID_ = nullptr;
    phase_ = Phase::pending;
    // Any running fade's completion is called off with the fade itself.
    ++token_;
    fadeTimer_.reset();
    if (panel_) {
        panel_->setAlphaValue(0);
        panel_->orderOut();
    }
}

void TooltipManager::ensurePanel() {
    if (!panel_) panel_ = platform::makeWindow<TooltipPanel>();
}

Rect TooltipManager::visibleFrame(const platform::ScreenProvider& screens, const Rect& rect) {
    return ui::visibleFrameHolding(screens, rect).value_or(Rect(0, 0, 10000, 10000));
}

Point TooltipManager::chipOrigin(TooltipPlacement placement, const Rect& anchor, const Rect& window, const Size& chip,
                                 const Rect& visible) {
    const double w = chip.width, h = chip.height;
    if (placement.kind == TooltipPlacement::Kind::side) {
        const double right = window.maxX() + kGap;
        return Point(right + w <= visible.maxX() ? right : window.minX() - w - kGap, anchor.midY() - h / 2);
    }
    switch (placement.direction) {
    case PanelOpenDirection::below: return Point(anchor.midX() - w / 2, window.minY() - h - kGap);
    case PanelOpenDirection::above: return Point(anchor.midX() - w / 2, window.maxY() + kGap);
    case PanelOpenDirection::toRight: return Point(window.maxX() + kGap, anchor.midY() - h / 2);
    case PanelOpenDirection::toLeft: return Point(window.minX() - w - kGap, anchor.midY() - h / 2);
    }
    return Point(anchor.midX() - w / 2, window.minY() - h - kGap);
}

Point TooltipManager::clampedOrigin(Point origin, const Size& chip, const Rect& visible) {
    // A chip larger than the frame keeps its origin corner, the left and
    // bottom edges, on it: its text begins at the left (a chip is one line,
    // never taller than a display in practice).
    return platform::keptInside(Rect(origin, chip), visible, {platform::KeptEdge::minEdge, platform::KeptEdge::minEdge})
        .origin;
}

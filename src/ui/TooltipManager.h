#pragma once

// The one tooltip manager of the application. It shows at most one chip at
// a time beside the control the pointer rests on: 0.4 s after the pointer
// came, fading in; it takes the chip down when the pointer leaves, after
// 3 s, or when the control moves away, and moves it to another control when
// the pointer goes there. No timer runs while no chip is scheduled, shown
// or fading out.

#include "platform/Geometry.h"
#include "platform/Lifetime.h"
#include "platform/ScreenProvider.h"
#include "platform/Window.h"
#include "ui/AnchorRef.h"
#include "ui/TooltipClock.h"
#include "ui/TooltipPlacement.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class TooltipPanel;

class TooltipManager {
public:
    enum class Phase { pending, visible };

    static constexpr double kShowDelay = 0.4;
    static constexpr double kHoldDuration = 3.0;
    static constexpr double kPollInterval = 0.1;
    // Between the chip and the window it stands beside.
    static constexpr double kGap = 4;
    // How far a shown chip's control may move on either axis before the chip
    // goes.
    static constexpr double kMoveTolerance = 4;
    static constexpr double kFadeInDuration = 0.15;
    // The chip of another control takes over.
    static constexpr double kReplacedFadeDuration = 0.12;
    // The pointer left, or the chip was shown long enough.
    static constexpr double kHideFadeDuration = 0.2;
    // The control moved or went away.
    static constexpr double kMovedFadeDuration = 0.15;
    // Seconds between two steps of a fade.
    static constexpr double kFadeStep = 1.0 / 60;

    // Made on first use, with the displays and the clock of the real
    // program, and kept for the life of the application.
    static TooltipManager& shared();

    TooltipManager(std::shared_ptr<const platform::ScreenProvider> screens, std::shared_ptr<TooltipClock> clock);
    ~TooltipManager();

    TooltipManager(const TooltipManager&) = delete;
    TooltipManager& operator=(const TooltipManager&) = delete;

    // Schedules a chip with `text` for `anchor`, unless chips are off or
    // this anchor's chip is already scheduled or shown.
    void request(const QString& text, const std::shared_ptr<AnchorRef>& anchor, TooltipPlacement placement);
    // Hides or calls off the chip if it belongs to `anchor`.
    void hide(const AnchorRef* anchor);
    // Takes the chip of `anchor` down at once, without a fade (its control
    // opened a panel the chip would cover), or calls it off.
    void withdraw(const AnchorRef* anchor);
    // Shows the scheduled chip; run by the show timer. Nothing when its
    // anchor has no view or the view is in no shown window.
    void present();
    // Takes the shown chip down when its anchor moved more than the
    // tolerance or went away; run by the poll timer.
    void poll(const std::weak_ptr<AnchorRef>& anchor);
    // Stops the show, hold and poll timers.
    void cancelTimers();
    // Animates the panel's alpha to `alpha`; `completion` runs at the end
    // unless a later fade started meanwhile.
    void fade(double alpha, double duration, std::function<void()> completion = nullptr);
    // The user's tooltip setting, as a control carrying a chip applies it
    // when it comes on screen and when it changes. Off takes every chip down
    // at once and ignores requests until it is on again.
    void applyShowTooltips(bool show);
    // How long a shown chip stays while the pointer rests on its control:
    // kHoldDuration but where a test session lengthens it. From the next
    // chip on.
    void setHoldSeconds(double seconds) { holdSeconds_ = seconds; }
    double holdSeconds() const { return holdSeconds_; }

    // The visible frame of the screen that holds the rectangle: the first
    // whose frame contains its centre, else the first it overlaps, else the
    // main screen; (0, 0, 10000, 10000) without screens.
    static platform::Rect visibleFrame(const platform::ScreenProvider& screens, const platform::Rect& rect);
    platform::Rect visibleFrame(const platform::Rect& rect) const { return visibleFrame(*screens_, rect); }
    // Where a chip of `chip` size goes for a control at `anchor` in a window
    // at `window` (screen space), before it is kept within `visible`.
    static platform::Point chipOrigin(TooltipPlacement placement, const platform::Rect& anchor,
                                      const platform::Rect& window, const platform::Size& chip,
                                      const platform::Rect& visible);
    // The origin moved so that the chip lies within `visible`; a chip larger
    // than it starts at its left or bottom edge.
    static platform::Point clampedOrigin(platform::Point origin, const platform::Size& chip,
                                         const platform::Rect& visible);

    // ---- State ----
    // Made when the first chip is shown.
    TooltipPanel* panel() const { return panel_.get(); }
    // The anchor whose chip is scheduled or shown.
    const AnchorRef* currentID() const { return currentID_; }
    Phase phase() const { return phase_; }
    bool enabled() const { return enabled_; }
    // Fades started so far.
    unsigned token() const { return token_; }
    const QString& pendingText() const { return pendingText_; }
    TooltipPlacement pendingPlacement() const { return pendingPlacement_; }
    std::optional<platform::Point> anchoredAt() const { return anchoredAt_; }
    bool hasShowTimer() const { return showTimer_ != nullptr; }
    bool hasHoldTimer() const { return holdTimer_ != nullptr; }
    bool hasPollTimer() const { return pollTimer_ != nullptr; }
    bool isFading() const { return fadeTimer_ != nullptr; }

private:
    void holdExpired();
    void stepFade(unsigned fadeToken, double from, double to, double duration, TooltipClock::TimePoint start,
                  const std::function<void()>& completion);
    std::function<void()> orderOutCompletion();
    void ensurePanel();

    std::shared_ptr<const platform::ScreenProvider> screens_;
    std::shared_ptr<TooltipClock> clock_;
    platform::WindowPtr<TooltipPanel> panel_;
    const AnchorRef* currentID_ = nullptr;
    Phase phase_ = Phase::pending;
    std::unique_ptr<TooltipClock::Timer> showTimer_;
    std::unique_ptr<TooltipClock::Timer> holdTimer_;
    std::unique_ptr<TooltipClock::Timer> pollTimer_;
    std::unique_ptr<TooltipClock::Timer> fadeTimer_;
    QString pendingText_;
    std::shared_ptr<AnchorRef> pendingAnchor_;
    TooltipPlacement pendingPlacement_ = TooltipPlacement::side();
    std::optional<platform::Point> anchoredAt_;
    bool enabled_ = true;
    unsigned token_ = 0;
    double holdSeconds_ = kHoldDuration;
    platform::Lifetime<TooltipManager> lifetime_{this};
};

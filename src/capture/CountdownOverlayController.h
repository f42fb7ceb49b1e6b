#pragma once

// The countdown panel shown before a screenshot.

#include "platform/Lifetime.h"
#include "platform/ScreenProvider.h"
#include "platform/Signal.h"
#include "platform/Subscription.h"
#include "platform/Window.h"

#include <functional>
#include <memory>
#include <vector>

class CountdownView;
class QTimer;

// The three-second countdown before a screenshot: a 260-point panel above
// every other window of ours, centred on the display to be captured, that
// ignores the pointer. It completes on the third tick of its one-second
// timer; Esc (which goes no further) or a click in another program cancels
// it. Exactly one of completion and cancellation happens, once, and after
// either the panel is closed, its monitors removed and it is no longer
// listed as open. A controller runs once.
class CountdownOverlayController {
public:
    static constexpr double kSide = 260;
    static constexpr int kTicksToComplete = 3;

    // Builds the panel centred on the screen's whole frame; shows nothing.
    // `tickSeconds` is one second but in tests.
    CountdownOverlayController(const platform::Screen& screen, std::function<void()> onComplete,
                               std::function<void()> onCancel, double tickSeconds = 1.0);
    ~CountdownOverlayController();

    CountdownOverlayController(const CountdownOverlayController&) = delete;
    CountdownOverlayController& operator=(const CountdownOverlayController&) = delete;

    // Shows the panel, lists it as open, installs the cancel monitors and
    // starts the timer.
    void showWindow();
    // Stops without calling either closure; harmless when already closed.
    void close();

    // One timer tick; true once the countdown is done (on the third tick,
    // which completes it unless it was cancelled).
    bool tick();
    void cancel();

    // Fires once, on the completing tick, while the panel still shows: just
    // before it closes and the completion is called.
    platform::Signal<> completing;

    platform::Window* window() const { return window_.get(); }
    CountdownView* view() const { return view_; }
    bool didFire() const { return didFire_; }
    int ticks() const { return ticks_; }
    bool isTimerRunning() const;
    std::size_t monitorCount() const { return monitors_.size(); }

private:
    void installCancelMonitors();
    void removeMonitors();
    void startTimer();
    void scheduleCancel();

    std::vector<platform::Subscription> monitors_;
    std::unique_ptr<QTimer> timer_;
    std::function<void()> onComplete_;
    std::function<void()> onCancel_;
    bool didFire_ = false;
    int ticks_ = 0;
    double tickSeconds_;
    platform::WindowPtr<> window_;
    CountdownView* view_ = nullptr;
    platform::Lifetime<CountdownOverlayController> lifetime_{this};
};

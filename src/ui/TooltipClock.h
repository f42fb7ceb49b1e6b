#pragma once

// Time as the tooltip manager sees it: the steady clock and timers on the
// main thread that stop for good when their handle goes. Tests inject a
// clock they advance by hand.

#include <chrono>
#include <functional>
#include <memory>

class TooltipClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // A running timer; destroying it stops it.
    class Timer {
    public:
        virtual ~Timer() = default;
    };

    virtual ~TooltipClock() = default;
    virtual TimePoint now() const = 0;
    // Runs `work` on the main thread after `seconds`, and every `seconds`
    // after that when `repeats`, until the returned timer is destroyed (which
    // `work` itself may do).
    [[nodiscard]] virtual std::unique_ptr<Timer> schedule(double seconds, bool repeats, std::function<void()> work) = 0;

    // steady_clock and Qt's precise timers.
    static std::shared_ptr<TooltipClock> system();
};

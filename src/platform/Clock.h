#pragma once

// Time for the platform's own waits: a steady clock and one-shot timers on
// the main thread. Tests inject a clock they move on by hand.

#include <QtGlobal>

#include <functional>
#include <memory>

namespace platform {

class Clock {
public:
    // A timer not yet run; destroying it calls it off.
    class Timer {
    public:
        virtual ~Timer() = default;
    };

    virtual ~Clock() = default;
    // Milliseconds on a steady clock, from a start of its own.
    virtual qint64 nowMs() const = 0;
    // Runs `work` once on the main thread `ms` from now, unless the returned
    // timer is destroyed first (which `work` itself may do).
    [[nodiscard]] virtual std::unique_ptr<Timer> after(int ms, std::function<void()> work) = 0;

    // The steady clock and Qt's precise timers.
    static std::shared_ptr<Clock> system();
};

} // namespace platform

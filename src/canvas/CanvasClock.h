#pragma once

// Time as the canvas sees it: the steady clock for double-click tests and
// the timer of the input pause after an edit. Tests inject a clock they
// advance by hand.

#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <memory>

class CanvasClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~CanvasClock() = default;
    virtual TimePoint now() const = 0;
    // Runs `work` on the main thread after `seconds`, unless `context` has
    // been destroyed by then.
    virtual void after(double seconds, QObject* context, std::function<void()> work) = 0;

    // steady_clock and Qt's precise timers.
    static std::shared_ptr<CanvasClock> system();
};

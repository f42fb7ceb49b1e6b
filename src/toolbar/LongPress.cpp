#include "toolbar/LongPress.h"

#include <cmath>

void LongPress::press(double time, QPointF position) {
    start_ = time;
    origin_ = position;
}

bool LongPress::move(double time, QPointF position) {
    // Held long enough before this move: recognised before it wandered.
    if (check(time)) return true;
    if (!start_) return false;
    const QPointF d = position - origin_;
    if (std::hypot(d.x(), d.y()) > kMaximumDistance) start_.reset();
    return false;
}

bool LongPress::release(double time) {
    const bool recognised = check(time);
    start_.reset();
    return recognised;
}

bool LongPress::check(double time) {
    if (!start_ || time - *start_ < kMinimumDuration) return false;
    start_.reset();
    return true;
}

void LongPress::cancel() { start_.reset(); }

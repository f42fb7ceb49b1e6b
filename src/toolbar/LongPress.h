#pragma once

// Recognises a press held in place: at least the minimum duration, without
// the pointer wandering further than the maximum distance from where it went
// down. Fed with times and positions, so the rule is testable without a
// clock; the widget also asks when the duration has passed.

#include <QPointF>

#include <optional>

class LongPress {
public:
    static constexpr double kMinimumDuration = 0.4; // seconds
    static constexpr double kMaximumDistance = 10;  // points

    void press(double time, QPointF position);
    // Each of these answers true exactly once per press: the first time it
    // is told of a moment at or after the minimum duration while the press
    // still held in place. A move beyond the maximum distance before that
    // ends the attempt.
    bool move(double time, QPointF position);
    bool release(double time);
    bool check(double time);
    void cancel();

    bool isTracking() const { return start_.has_value(); }

private:
    std::optional<double> start_;
    QPointF origin_;
};

// The pacing of a canvas's drawing during a drag.

#include "canvas/FramePacer.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

// Frames with nothing to show before the link stops: it ticks only while
// something moves.
constexpr int kIdleFramesBeforeStop = 2;

class SystemClock : public FramePacer::Clock {
public:
    SystemClock() {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (fire_) fire_();
        });
    }
    double now() const override { return platform::mediaTime(); }
    void start(int ms, std::function<void()> fire) override {
        fire_ = std::move(fire);
        timer_.start(ms);
    }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
    std::function<void()> fire_;
};

} // namespace

std::unique_ptr<FramePacer::Clock> FramePacer::systemClock() { return std::make_unique<SystemClock>(); }

FramePacer::FramePacer(Present present) : present_(std::move(present)), clock_(systemClock()) {}

FramePacer::~FramePacer() = default;

void FramePacer::useDisplayLink(const platform::DisplayLinkFactory& factory, platform::DisplayID display,
                                std::unique_ptr<Clock> clock) {
    clock_->stop();
    if (clock) clock_ = std::move(clock);
    pending_ = false;
    phaseKnown_ = false;
    link_ = factory ? factory(display, [this](const platform::DisplayLinkFrame& f) { frame(f); }) : nullptr;
    frameInterval_ = link_ ? link_->refreshInterval() : 0;
}

double FramePacer::interval() const { return frameInterval_ > 0 ? frameInterval_ : 1.0 / 60; }

double FramePacer::lateAtOrAfter(double t) const {
    const double margin = std::min(kLateMargin, interval() / 3);
    const double base = lastRefresh_ - margin;
    return base + std::ceil((t - base) / interval()) * interval();
}

bool FramePacer::changed() {
    if (!link_) return true;
    const double now = clock_->now();
    const bool afterPause = now - lastChange_ > interval();
    lastChange_ = now;
    idleFrames_ = 0;
    // The refreshes' timing is learnt while changes come in.
    if (!link_->isRunning()) link_->start();
    if (pending_) return false;
    if (afterPause) {
        lastPresent_ = now;
        return true;
    }
    pending_ = true;
    if (phaseKnown_) arm(now);
    return false;
}

bool FramePacer::wouldWait() const { return link_ && (pending_ || clock_->now() - lastChange_ <= interval()); }

void FramePacer::shown() {
    pending_ = false;
    clock_->stop();
    lastPresent_ = clock_->now();
}

void FramePacer::frame(const platform::DisplayLinkFrame& f) {
    lastRefresh_ = f.timestamp;
    if (f.duration > 0) frameInterval_ = f.duration;
    phaseKnown_ = true;
    if (pending_) {
        if (!clock_->isActive()) arm(clock_->now());
        return;
    }
    if (++idleFrames_ >= kIdleFramesBeforeStop) link_->stop();
}

void FramePacer::arm(double now) {
    // The next late moment, at least a third of a refresh after the last
    // frame shown, so that one frame a refresh goes out while changes
    // stream in; but never more than a refresh after the last frame. A
    // frame shown at once after a pause, just before a late moment, would
    // otherwise put the next one off to the late moment after, and so would
    // a refresh reported late (a server's vblank timer under load): the
    // change would miss its frame.
    const double late = lateAtOrAfter(std::max(now, lastPresent_ + interval() / 3));
    const double due = std::min(late, lastPresent_ + interval());
    clock_->start(static_cast<int>(std::max(0.0, (due - now) * 1000)), [this] { fire(); });
}

void FramePacer::fire() {
    if (!pending_) return;
    pending_ = false;
    lastPresent_ = clock_->now();
    present_();
}

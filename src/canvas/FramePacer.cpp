// The pacing of a canvas's drawing during a drag.

#include "canvas/FramePacer.h"

#include "platform/Dispatch.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
// Frames with nothing to show before the link stops: it ticks only while
// something moves.
constexpr int kIdleFramesBeforeStop = 2;
} // namespace

FramePacer::FramePacer(Present present) : present_(std::move(present)) {
    late_.setSingleShot(true);
    late_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&late_, &QTimer::timeout, [this] { fire(); });
}

FramePacer::~FramePacer() = default;

void FramePacer::useDisplayLink(const platform::DisplayLinkFactory& factory, platform::DisplayID display) {
    late_.stop();
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
    const double now = platform::mediaTime();
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

bool FramePacer::wouldWait() const { return link_ && (pending_ || platform::mediaTime() - lastChange_ <= interval()); }

void FramePacer::shown() {
    pending_ = false;
    late_.stop();
    lastPresent_ = platform::mediaTime();
}

void FramePacer::frame(const platform::DisplayLinkFrame& f) {
    lastRefresh_ = f.timestamp;
    if (f.duration > 0) frameInterval_ = f.duration;
    phaseKnown_ = true;
    if (pending_) {
        if (!late_.isActive()) arm(platform::mediaTime());
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
    late_.start(static_cast<int>(std::max(0.0, (due - now) * 1000)));
}

void FramePacer::fire() {
    if (!pending_) return;
    pending_ = false;
    lastPresent_ = platform::mediaTime();
    present_();
}

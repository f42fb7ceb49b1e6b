#pragma once

// A canvas's frame pacing on time the test moves on by hand: the pacer's
// clock and timer, and display links whose refreshes the test hands out on
// that clock.

#include "canvas/FramePacer.h"
#include "platform/DisplayLink.h"

#include <functional>
#include <memory>
#include <optional>

namespace testing_support {

// The pacer's time; its timer fires as time passes it.
class ManualPacerClock : public FramePacer::Clock {
public:
    double now() const override { return now_; }
    void start(int ms, std::function<void()> fire) override {
        due_ = now_ + ms / 1000.0;
        fire_ = std::move(fire);
    }
    void stop() override { due_.reset(); }
    bool isActive() const override { return due_.has_value(); }

    void advance(double seconds) {
        const double end = now_ + seconds;
        while (due_ && *due_ <= end) {
            now_ = *due_;
            due_.reset();
            const std::function<void()> fire = fire_;
            fire();
        }
        now_ = end;
    }

private:
    double now_ = 1000;
    std::optional<double> due_;
    std::function<void()> fire_;
};

// A link whose refreshes the test hands out, on the pacer's clock.
class ManualLink : public platform::DisplayLink {
public:
    ManualLink(Callback callback, const ManualPacerClock& clock) : callback_(std::move(callback)), clock_(clock) {}
    void start() override { running_ = true; }
    void stop() override { running_ = false; }
    void requestFrame() override {}
    double refreshInterval() const override { return kInterval; }
    // A refresh happening now, or reported with another time.
    void refresh() { refreshAt(clock_.now()); }
    void refreshAt(double timestamp) {
        if (running_) callback_({timestamp, timestamp + kInterval, kInterval});
    }
    static constexpr double kInterval = 0.25;

private:
    Callback callback_;
    const ManualPacerClock& clock_;
};

// Makes manual links on `clock`, noting the last one made in `made`.
inline platform::DisplayLinkFactory manualLinks(const ManualPacerClock& clock, ManualLink*& made) {
    return [&clock, &made](platform::DisplayID, platform::DisplayLink::Callback cb) {
        auto l = std::make_unique<ManualLink>(std::move(cb), clock);
        made = l.get();
        return l;
    };
}

} // namespace testing_support

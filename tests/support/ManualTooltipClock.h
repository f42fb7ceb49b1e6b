#pragma once

// A tooltip clock that stands still until the test moves it on; timers fire
// in time order as it passes them.

#include "ui/TooltipClock.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace testing_support {

class ManualTooltipClock : public TooltipClock {
public:
    TimePoint now() const override { return now_; }

    std::unique_ptr<Timer> schedule(double seconds, bool repeats, std::function<void()> work) override {
        auto entry = std::make_shared<Entry>();
        entry->start = now_;
        entry->period = seconds;
        entry->due = now_ + toDuration(seconds);
        entry->repeats = repeats;
        entry->work = std::move(work);
        entries_.push_back(entry);
        return std::make_unique<Handle>(entry);
    }

    // Moves time on by `seconds`, firing every timer due on the way.
    void advance(double seconds) {
        const TimePoint end = now_ + toDuration(seconds);
        for (;;) {
            std::erase_if(entries_, [](const auto& e) { return !e->alive; });
            auto next = std::min_element(entries_.begin(), entries_.end(),
                                         [](const auto& a, const auto& b) { return a->due < b->due; });
            if (next == entries_.end() || (*next)->due > end) break;
            const std::shared_ptr<Entry> entry = *next; // alive while it runs
            now_ = entry->due;
            // Counted from the start, so that rounding never adds up.
            if (entry->repeats) entry->due = entry->start + toDuration(entry->period * double(++entry->fired + 1));
            else entry->alive = false;
            entry->work();
        }
        now_ = end;
    }

    // Timers scheduled and not yet stopped or fired.
    std::size_t runningTimers() const {
        return std::count_if(entries_.begin(), entries_.end(), [](const auto& e) { return e->alive; });
    }

private:
    using Duration = std::chrono::steady_clock::duration;
    struct Entry {
        TimePoint start;
        TimePoint due;
        double period = 0;
        int fired = 0;
        bool repeats = false;
        bool alive = true;
        std::function<void()> work;
    };
    struct Handle : Timer {
        explicit Handle(std::shared_ptr<Entry> e) : entry(std::move(e)) {}
        ~Handle() override { entry->alive = false; }
        std::shared_ptr<Entry> entry;
    };
    static Duration toDuration(double seconds) {
        return std::chrono::round<Duration>(std::chrono::duration<double>(seconds));
    }

    TimePoint now_{};
    std::vector<std::shared_ptr<Entry>> entries_;
};

} // namespace testing_support

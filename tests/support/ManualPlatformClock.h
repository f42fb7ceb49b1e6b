#pragma once

// A platform clock that stands still until the test moves it on; timers run
// in time order as it passes them.

#include "platform/Clock.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace testing_support {

class ManualPlatformClock : public platform::Clock {
public:
    qint64 nowMs() const override { return now_; }

    std::unique_ptr<Timer> after(int ms, std::function<void()> work) override {
        auto entry = std::make_shared<Entry>();
        entry->due = now_ + std::max(0, ms);
        entry->work = std::move(work);
        entries_.push_back(entry);
        return std::make_unique<Handle>(entry);
    }

    // Moves time on by `ms`, running every timer due on the way.
    void advance(qint64 ms) {
        const qint64 end = now_ + ms;
        for (;;) {
            std::erase_if(entries_, [](const auto& e) { return !e->alive; });
            auto next = std::min_element(entries_.begin(), entries_.end(),
                                         [](const auto& a, const auto& b) { return a->due < b->due; });
            if (next == entries_.end() || (*next)->due > end) break;
            const std::shared_ptr<Entry> entry = *next; // alive while it runs
            entry->alive = false;
            now_ = std::max(now_, entry->due);
            entry->work();
        }
        now_ = end;
    }

    // Timers neither run nor called off.
    std::size_t pendingTimers() const {
        return std::count_if(entries_.begin(), entries_.end(), [](const auto& e) { return e->alive; });
    }

private:
    struct Entry {
        qint64 due = 0;
        bool alive = true;
        std::function<void()> work;
    };
    struct Handle : Timer {
        explicit Handle(std::shared_ptr<Entry> e) : entry(std::move(e)) {}
        ~Handle() override { entry->alive = false; }
        std::shared_ptr<Entry> entry;
    };

    qint64 now_ = 0;
    std::vector<std::shared_ptr<Entry>> entries_;
};

} // namespace testing_support

#pragma once

// An in-memory window list and a display link that ticks when the test says.

#include "platform/DisplayLink.h"
#include "platform/WindowList.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace testing_support {

class FakeWindowList : public platform::WindowList {
public:
    // Front first, as the real list.
    std::vector<platform::WindowInfo> list;
    mutable int boundsQueries = 0;

    std::vector<platform::WindowInfo> windows() const override { return list; }
    std::optional<platform::Rect> bounds(std::uint32_t number) const override {
        ++boundsQueries;
        for (const auto& w : list)
            if (w.number == number) return w.bounds;
        return std::nullopt;
    }

    // Shown while it is on screen (isOnScreen false: minimised).
    std::optional<platform::WindowPlace> place(std::uint32_t number) const override {
        ++boundsQueries;
        for (const auto& w : list)
            if (w.number == number) return platform::WindowPlace{w.bounds, w.isOnScreen};
        return std::nullopt;
    }

    platform::WindowInfo* find(std::uint32_t number) {
        const auto it = std::find_if(list.begin(), list.end(), [&](const auto& w) { return w.number == number; });
        return it == list.end() ? nullptr : &*it;
    }
    void remove(std::uint32_t number) {
        std::erase_if(list, [&](const auto& w) { return w.number == number; });
    }
    // An ordinary window of another process, on screen.
    static platform::WindowInfo window(std::uint32_t number, platform::Rect bounds, std::int32_t pid = 4242) {
        platform::WindowInfo w;
        w.number = number;
        w.ownerPID = pid;
        w.bounds = bounds;
        w.isOnScreen = true;
        return w;
    }
};

// Every link the factory made, alive or not; tick() calls the live one.
class FakeDisplayLinks {
public:
    struct Record {
        platform::DisplayID display = 0;
        platform::DisplayLink::Callback callback;
        bool alive = true;
        bool running = false;
    };

    platform::DisplayLinkFactory factory() {
        return [this](platform::DisplayID display, platform::DisplayLink::Callback callback) {
            auto record = std::make_shared<Record>(Record{display, std::move(callback)});
            records.push_back(record);
            return std::unique_ptr<platform::DisplayLink>(new Link(record));
        };
    }
    int liveCount() const {
        return static_cast<int>(std::count_if(records.begin(), records.end(), [](const auto& r) { return r->alive; }));
    }
    // One refresh of every running link, with the given target time.
    int tick(double targetTimestamp, double interval = 1.0 / 60) {
        int ticked = 0;
        const auto current = records;
        for (const auto& r : current) {
            if (!r->alive || !r->running) continue;
            const auto callback = r->callback;
            callback(platform::DisplayLinkFrame{targetTimestamp - interval, targetTimestamp, interval});
            ++ticked;
        }
        return ticked;
    }

    std::vector<std::shared_ptr<Record>> records;

private:
    class Link : public platform::DisplayLink {
    public:
        explicit Link(std::shared_ptr<Record> r) : record_(std::move(r)) {}
        ~Link() override { record_->alive = false; }
        void start() override { record_->running = running_ = true; }
        void stop() override { record_->running = running_ = false; }
        void requestFrame() override {}
        double refreshInterval() const override { return 1.0 / 60; }

    private:
        std::shared_ptr<Record> record_;
    };
};

} // namespace testing_support

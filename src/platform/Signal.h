#pragma once

// Synchronous multi-slot signals.

#include "platform/Subscription.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

// A synchronous multi-slot signal. Slots run in connection order; a slot may
// connect or disconnect slots (itself included) while the signal is emitting.
template <typename... Args>
class Signal {
public:
    using Slot = std::function<void(Args...)>;

    Signal() : slots_(std::make_shared<Slots>()) {}
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Subscription connect(Slot slot) {
        auto entry = std::make_shared<Entry>(Entry{std::move(slot), true});
        slots_->push_back(entry);
        std::weak_ptr<Slots> weakSlots = slots_;
        std::weak_ptr<Entry> weakEntry = entry;
        return Subscription([weakSlots, weakEntry] {
            auto e = weakEntry.lock();
            if (!e) return;
            e->alive = false;
            if (auto s = weakSlots.lock()) {
                s->erase(std::remove(s->begin(), s->end(), e), s->end());
            }
        });
    }

    void emit(Args... args) const {
        if (slots_->empty()) return;
        // A snapshot keeps iteration valid while slots change the list.
        const auto snapshot = *slots_;
        for (const auto& entry : snapshot) {
            if (entry->alive) entry->slot(args...);
        }
    }

    std::size_t slotCount() const { return slots_->size(); }

private:
    struct Entry {
        Slot slot;
        bool alive;
    };
    using Slots = std::vector<std::shared_ptr<Entry>>;
    std::shared_ptr<Slots> slots_;
};

} // namespace platform

#include "platform/StampMemoryBudget.h"

#include <algorithm>

StampMemoryBudget& StampMemoryBudget::shared() {
    // Never destroyed: caches may detach from it during static destruction.
    static auto* budget = new StampMemoryBudget;
    return *budget;
}

void StampMemoryBudget::attach(Cache* cache) {
    std::lock_guard lock(mutex_);
    caches_.push_back(cache);
}

void StampMemoryBudget::detach(Cache* cache) {
    std::lock_guard lock(mutex_);
    caches_.erase(std::remove(caches_.begin(), caches_.end(), cache), caches_.end());
}

void StampMemoryBudget::setLimit(std::size_t bytes) {
    limit_ = bytes;
    enforce();
}

std::size_t StampMemoryBudget::byteCount() const {
    std::lock_guard lock(mutex_);
    std::size_t total = 0;
    for (const Cache* cache : caches_) total += cache->byteCount();
    return total;
}

void StampMemoryBudget::enforce() {
    std::lock_guard lock(mutex_);
    for (;;) {
        std::size_t total = 0;
        for (const Cache* cache : caches_) total += cache->byteCount();
        if (total <= limit_.load()) return;
        Cache* victim = nullptr;
        std::uint64_t oldest = 0;
        for (Cache* cache : caches_) {
            const auto use = cache->oldestUse();
            if (use && (!victim || *use < oldest)) {
                victim = cache;
                oldest = *use;
            }
        }
        if (!victim) return;
        victim->evictOldest();
    }
}

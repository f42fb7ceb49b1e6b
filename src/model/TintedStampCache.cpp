#include "model/TintedStampCache.h"

TintedStampCache::TintedStampCache(StampMemoryBudget& budget) : budget_(budget) { budget_.attach(this); }

TintedStampCache::~TintedStampCache() { budget_.detach(this); }

std::optional<std::vector<QImage>> TintedStampCache::value(const QString& key) {
    const std::uint64_t use = budget_.nextUse();
    std::lock_guard lock(mutex_);
    if (const auto* images = entries_.find(key, use)) return *images;
    return std::nullopt;
}

bool TintedStampCache::contains(const QString& key) const {
    std::lock_guard lock(mutex_);
    return entries_.contains(key);
}

void TintedStampCache::insert(const QString& key, std::vector<QImage> images) {
    const std::uint64_t use = budget_.nextUse();
    {
        std::lock_guard lock(mutex_);
        entries_.insert(key, std::move(images), use);
    }
    budget_.enforce();
}

void TintedStampCache::removeKeysWithPrefix(const QString& prefix) {
    std::lock_guard lock(mutex_);
    entries_.eraseIf([&](const QString& key) { return key.startsWith(prefix); });
}

void TintedStampCache::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

std::size_t TintedStampCache::size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

QStringList TintedStampCache::keys() const {
    std::lock_guard lock(mutex_);
    QStringList list;
    for (const QString& key : entries_.keysByUse()) list.append(key);
    return list;
}

std::size_t TintedStampCache::byteCount() const {
    std::lock_guard lock(mutex_);
    return entries_.byteCount();
}

std::optional<std::uint64_t> TintedStampCache::oldestUse() const {
    std::lock_guard lock(mutex_);
    return entries_.oldestUse();
}

void TintedStampCache::evictOldest() {
    std::lock_guard lock(mutex_);
    if (const auto key = entries_.oldestKey()) entries_.erase(*key);
}

#pragma once

// Tinted brush cells and textured stamps are cheap to rebuild but can be
// large (one 384-px stamp set is 2.4 MB per colour), so the caches that hold
// them share one byte budget: beyond it, the least recently used entry of any
// of them goes first.

#include <QImage>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

class StampMemoryBudget {
public:
    static constexpr std::size_t kDefaultLimit = std::size_t(64) << 20;

    // One cache under the budget. Its members lock the cache themselves; the
    // budget calls them with its own lock held, so a cache must never call
    // into the budget while holding its own lock.
    class Cache {
    public:
        virtual ~Cache() = default;
        virtual std::size_t byteCount() const = 0;
        // Use tick of the cache's least recently used entry; none when empty.
        virtual std::optional<std::uint64_t> oldestUse() const = 0;
        virtual void evictOldest() = 0;
    };

    // The process-wide budget every stamp cache shares.
    static StampMemoryBudget& shared();

    explicit StampMemoryBudget(std::size_t limit = kDefaultLimit) : limit_(limit) {}
    StampMemoryBudget(const StampMemoryBudget&) = delete;
    StampMemoryBudget& operator=(const StampMemoryBudget&) = delete;

    void attach(Cache* cache);
    void detach(Cache* cache);

    // A new use tick: later uses get larger ticks, across all caches.
    std::uint64_t nextUse() { return ticks_.fetch_add(1, std::memory_order_relaxed) + 1; }

    // Evicts least recently used entries until the caches fit the limit.
    void enforce();

    std::size_t limit() const { return limit_.load(); }
    void setLimit(std::size_t bytes);
    std::size_t byteCount() const;

private:
    mutable std::mutex mutex_;
    std::vector<Cache*> caches_;
    std::atomic<std::size_t> limit_;
    std::atomic<std::uint64_t> ticks_{0};
};

// Lists of images by key with their byte size, kept in order of last use.
// Not thread-safe: its owner locks.
template <typename Key, typename Hash = std::hash<Key>>
class LruImageCache {
public:
    // The entry, marked as used at `use`; null when absent.
    const std::vector<QImage>* find(const Key& key, std::uint64_t use) {
        const auto it = map_.find(key);
        if (it == map_.end()) return nullptr;
        it->second.lastUse = use;
        order_.splice(order_.end(), order_, it->second.position);
        return &it->second.images;
    }
    bool contains(const Key& key) const { return map_.find(key) != map_.end(); }

    // Stores or replaces the entry, as used at `use`.
    void insert(const Key& key, std::vector<QImage> images, std::uint64_t use) {
        erase(key);
        std::size_t bytes = 0;
        for (const QImage& image : images) bytes += static_cast<std::size_t>(image.sizeInBytes());
        order_.push_back(key);
        map_.emplace(key, Entry{std::move(images), bytes, use, std::prev(order_.end())});
        bytes_ += bytes;
    }

    bool erase(const Key& key) {
        const auto it = map_.find(key);
        if (it == map_.end()) return false;
        bytes_ -= it->second.bytes;
        order_.erase(it->second.position);
        map_.erase(it);
        return true;
    }

    template <typename Pred>
    void eraseIf(Pred pred) {
        for (auto it = order_.begin(); it != order_.end();) {
            const Key key = *it++;
            if (pred(key)) erase(key);
        }
    }

    std::optional<Key> oldestKey() const {
        if (order_.empty()) return std::nullopt;
        return order_.front();
    }
    std::optional<std::uint64_t> oldestUse() const {
        if (order_.empty()) return std::nullopt;
        return map_.at(order_.front()).lastUse;
    }

    // Keys from least to most recently used.
    const std::list<Key>& keysByUse() const { return order_; }
    std::size_t size() const { return map_.size(); }
    std::size_t byteCount() const { return bytes_; }
    void clear() {
        map_.clear();
        order_.clear();
        bytes_ = 0;
    }

private:
    struct Entry {
        std::vector<QImage> images;
        std::size_t bytes;
        std::uint64_t lastUse;
        typename std::list<Key>::iterator position;
    };
    std::unordered_map<Key, Entry, Hash> map_;
    std::list<Key> order_; // least recently used first
    std::size_t bytes_ = 0;
};

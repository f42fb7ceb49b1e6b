#pragma once

// Brush cells scaled and tinted, kept within the stamp memory budget.

#include "platform/StampMemoryBudget.h"

#include <QHashFunctions>
#include <QImage>
#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>
#include <vector>

// Brush cells scaled and tinted for one brush, size and colour, by the key
// that DrawingState::tintedStamps builds (it starts with the brush's
// identifier text). Bounded by the shared stamp budget: the least recently
// used entries give way. The lock only guards against the budget evicting
// from another thread; callers are on the main thread.
class TintedStampCache : public StampMemoryBudget::Cache {
public:
    explicit TintedStampCache(StampMemoryBudget& budget = StampMemoryBudget::shared());
    ~TintedStampCache() override;
    TintedStampCache(const TintedStampCache&) = delete;
    TintedStampCache& operator=(const TintedStampCache&) = delete;

    // The entry, marked as just used; none when absent.
    std::optional<std::vector<QImage>> value(const QString& key);
    bool contains(const QString& key) const;
    // Stores the entry (an empty list too), then trims to the budget.
    void insert(const QString& key, std::vector<QImage> images);
    void removeKeysWithPrefix(const QString& prefix);
    void clear();

    std::size_t size() const;
    // From least to most recently used.
    QStringList keys() const;

    std::size_t byteCount() const override;
    std::optional<std::uint64_t> oldestUse() const override;
    void evictOldest() override;

private:
    struct KeyHash {
        std::size_t operator()(const QString& s) const { return qHash(s); }
    };
    StampMemoryBudget& budget_;
    mutable std::mutex mutex_;
    LruImageCache<QString, KeyHash> entries_;
};

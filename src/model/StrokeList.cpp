#include "model/StrokeList.h"

#include <algorithm>

void StrokeList::set(std::vector<DrawingStroke> list) {
    // Before, for handlers that look during the notification (they see the
    // old list), and after, so that they look again at the new one.
    forget();
    Base::set(std::move(list));
    forget();
}

void StrokeList::setSilently(std::vector<DrawingStroke> list) {
    Base::setSilently(std::move(list));
    forget();
}

void StrokeList::forget() {
    ++revision_;
    first_ = revision_;
    log_.clear();
}

void StrokeList::remember(const std::vector<StrokeChange>& changes) {
    if (changes.size() > kRemembered) {
        forget();
        return;
    }
    if (log_.size() + changes.size() > kRemembered) {
        const std::size_t drop = std::min(log_.size(), log_.size() + changes.size() - kRemembered / 2);
        log_.erase(log_.begin(), log_.begin() + static_cast<std::ptrdiff_t>(drop));
        first_ += drop;
    }
    log_.insert(log_.end(), changes.begin(), changes.end());
    revision_ += changes.size();
}

std::optional<std::span<const StrokeChange>> StrokeList::changesSince(std::uint64_t revision) const {
    if (revision < first_ || revision > revision_) return std::nullopt;
    const auto from = static_cast<std::size_t>(revision - first_);
    return std::span<const StrokeChange>(log_).subspan(from);
}

StrokeNetChange StrokeList::net(std::span<const StrokeChange> changes) {
    StrokeNetChange out;
    // Where each stroke added during the run is now.
    std::vector<std::size_t>& joined = out.added;
    for (const StrokeChange& c : changes) {
        if (c.kind == StrokeChange::Kind::removed) {
            const auto it = std::find(joined.begin(), joined.end(), c.index);
            if (it != joined.end()) joined.erase(it);
            else out.removed.push_back(c);
            for (std::size_t& i : joined)
                if (i > c.index) --i;
        } else {
            for (std::size_t& i : joined)
                if (i >= c.index) ++i;
            joined.push_back(c.index);
        }
    }
    std::sort(joined.begin(), joined.end());
    return out;
}

void StrokeList::append(DrawingStroke stroke) {
    edit([&](Editor& e) { e.append(std::move(stroke)); });
}

void StrokeList::remove(std::size_t index) {
    edit([&](Editor& e) { e.remove(index); });
}

void StrokeList::replace(std::size_t index, DrawingStroke stroke) {
    edit([&](Editor& e) { e.replace(index, std::move(stroke)); });
}

// ---- Editor ----

void StrokeList::Editor::append(DrawingStroke stroke) { insert(list_.size(), std::move(stroke)); }

void StrokeList::Editor::insert(std::size_t index, DrawingStroke stroke) {
    index = std::min(index, list_.size());
    changes_.push_back({StrokeChange::Kind::added, index, index == list_.size(), stroke.id, stroke.displayID});
    list_.insert(list_.begin() + static_cast<std::ptrdiff_t>(index), std::move(stroke));
}

void StrokeList::Editor::remove(std::size_t index) {
    if (index >= list_.size()) return;
    const DrawingStroke& s = list_[index];
    changes_.push_back({StrokeChange::Kind::removed, index, index + 1 == list_.size(), s.id, s.displayID});
    list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(index));
}

void StrokeList::Editor::replace(std::size_t index, DrawingStroke stroke) {
    if (index >= list_.size()) return;
    const DrawingStroke& old = list_[index];
    const bool last = index + 1 == list_.size();
    changes_.push_back({StrokeChange::Kind::removed, index, last, old.id, old.displayID});
    changes_.push_back({StrokeChange::Kind::added, index, last, stroke.id, stroke.displayID});
    list_[index] = std::move(stroke);
}

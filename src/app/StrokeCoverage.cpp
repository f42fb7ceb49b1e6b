#include "app/StrokeCoverage.h"

#include <algorithm>
#include <bit>

void StrokeCoverage::clear() {
    ++generation_;
    size_ = QSize();
    words_ = 0;
    counts_.clear();
    counts_.shrink_to_fit();
    overflow_.clear();
    bits_.clear();
    bits_.shrink_to_fit();
    counted_.clear();
}

StrokeCoverage::Turned StrokeCoverage::change(const std::vector<QUuid>& removed, const std::vector<Entry>& added) {
    Turned turned;
    ++generation_;
    if (size_.isEmpty()) return turned;
    // Every span the change touches, merged row by row, and whether each of
    // its pixels was covered before.
    std::vector<PixelSpan> touched;
    std::vector<SharedSpans> goes;
    for (const QUuid& id : removed) {
        const auto it = counted_.find(id);
        if (it == counted_.end()) continue;
        goes.push_back(it->second.spans);
        touched.insert(touched.end(), it->second.spans->begin(), it->second.spans->end());
    }
    for (const auto& [id, spans] : added) {
        if (!spans) continue;
        if (const auto it = counted_.find(id); it != counted_.end()) {
            goes.push_back(it->second.spans);
            touched.insert(touched.end(), it->second.spans->begin(), it->second.spans->end());
        }
        touched.insert(touched.end(), spans->begin(), spans->end());
    }
    const int w = size_.width(), h = size_.height();
    std::erase_if(touched, [&](PixelSpan& s) {
        s.x0 = std::max(0, s.x0);
        s.x1 = std::min(w, s.x1);
        return s.y < 0 || s.y >= h || s.x1 <= s.x0;
    });
    std::sort(touched.begin(), touched.end(),
              [](const PixelSpan& a, const PixelSpan& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; });
    std::vector<PixelSpan> merged;
    for (const PixelSpan& s : touched) {
        if (!merged.empty() && merged.back().y == s.y && s.x0 <= merged.back().x1)
            merged.back().x1 = std::max(merged.back().x1, s.x1);
        else merged.push_back(s);
    }
    std::vector<bool> before;
    for (const PixelSpan& s : merged)
        for (int x = s.x0; x < s.x1; ++x) before.push_back(covered(x, s.y));

    for (const QUuid& id : removed) {
        const auto it = counted_.find(id);
        if (it == counted_.end()) continue;
        apply(*it->second.spans, false);
        counted_.erase(it);
    }
    for (const auto& [id, spans] : added) {
        if (!spans) continue;
        auto it = counted_.find(id);
        if (it != counted_.end()) {
            apply(*it->second.spans, false);
            it->second.spans = spans;
        } else {
            counted_.emplace(id, Counted{spans, 0});
        }
        apply(*spans, true);
    }

    // Runs of pixels that turned, per direction.
    const auto emit = [](std::vector<PixelSpan>& out, int y, int x0, int x1) {
        if (!out.empty() && out.back().y == y && out.back().x1 == x0) out.back().x1 = x1;
        else out.push_back({y, x0, x1});
    };
    std::size_t k = 0;
    for (const PixelSpan& s : merged) {
        for (int x = s.x0; x < s.x1; ++x, ++k) {
            const bool now = covered(x, s.y);
            if (now == before[k]) continue;
            emit(now ? turned.covered : turned.uncovered, s.y, x, x + 1);
        }
    }
    return turned;
}

QRegion StrokeCoverage::regionOf(const std::vector<PixelSpan>& spans, QPoint offset) {
    std::vector<QRect> rects;
    rects.reserve(spans.size());
    for (const PixelSpan& s : spans) rects.emplace_back(offset.x() + s.x0, offset.y() + s.y, s.x1 - s.x0, 1);
    QRegion region;
    if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

void StrokeCoverage::update(const std::vector<Entry>& strokes, QSize size) {
    ++generation_;
    if (size != size_) {
        clear();
        size_ = size;
        if (size.isEmpty()) return;
        words_ = static_cast<std::size_t>(size.width() + 63) / 64;
        counts_.assign(static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height()), 0);
        bits_.assign(words_ * static_cast<std::size_t>(size.height()), 0);
    }
    if (size_.isEmpty()) return;
    const std::uint64_t now = ++generation_;
    for (const auto& [id, spans] : strokes) {
        if (!spans) continue;
        auto it = counted_.find(id);
        if (it == counted_.end()) {
            apply(*spans, true);
            counted_.emplace(id, Counted{spans, now});
            continue;
        }
        if (it->second.spans != spans) {
            apply(*it->second.spans, false);
            apply(*spans, true);
            it->second.spans = spans;
        }
        it->second.seen = now;
    }
    for (auto it = counted_.begin(); it != counted_.end();) {
        if (it->second.seen == now) {
            ++it;
            continue;
        }
        apply(*it->second.spans, false);
        it = counted_.erase(it);
    }
}

void StrokeCoverage::apply(const std::vector<PixelSpan>& spans, bool add) {
    const int w = size_.width(), h = size_.height();
    for (const PixelSpan& s : spans) {
        if (s.y < 0 || s.y >= h) continue;
        const int x0 = std::max(0, s.x0), x1 = std::min(w, s.x1);
        const std::size_t row = static_cast<std::size_t>(s.y) * static_cast<std::size_t>(w);
        std::uint64_t* bits = bits_.data() + static_cast<std::size_t>(s.y) * words_;
        for (int x = x0; x < x1; ++x) {
            std::uint8_t& c = counts_[row + static_cast<std::size_t>(x)];
            if (add) {
                if (c == 255) {
                    ++overflow_[row + static_cast<std::size_t>(x)];
                    continue;
                }
                if (c++ == 0) bits[x >> 6] |= std::uint64_t(1) << (x & 63);
            } else {
                if (c == 255 && !overflow_.empty()) {
                    const auto o = overflow_.find(row + static_cast<std::size_t>(x));
                    if (o != overflow_.end()) {
                        if (--o->second == 0) overflow_.erase(o);
                        continue;
                    }
                }
                if (c == 0) continue; // never counted: nothing to take away
                if (--c == 0) bits[x >> 6] &= ~(std::uint64_t(1) << (x & 63));
            }
        }
    }
}

QRegion StrokeCoverage::region(QPoint offset) const {
    // Runs of each row; a row equal to the one above extends its band.
    std::vector<QRect> rects;
    std::vector<std::pair<int, int>> band, runs;
    int bandTop = 0;
    const int w = size_.width(), h = size_.height();
    const auto closeBand = [&](int bottom) {
        for (const auto& [a, b] : band)
            rects.emplace_back(offset.x() + a, offset.y() + bandTop, b - a, bottom - bandTop);
    };
    constexpr std::uint64_t all = ~std::uint64_t(0);
    for (int y = 0; y < h; ++y) {
        runs.clear();
        const std::uint64_t* row = bits_.data() + static_cast<std::size_t>(y) * words_;
        int start = -1;
        for (std::size_t i = 0; i < words_; ++i) {
            const std::uint64_t word = row[i];
            if ((start < 0 && word == 0) || (start >= 0 && word == all)) continue;
            const int base = static_cast<int>(i) * 64;
            int bit = 0;
            while (bit < 64) {
                const std::uint64_t rest = (start < 0 ? word : ~word) >> bit;
                if (rest == 0) break;
                bit += std::countr_zero(rest);
                if (start < 0) {
                    start = base + bit;
                } else {
                    runs.emplace_back(start, base + bit);
                    start = -1;
                }
            }
        }
        if (start >= 0) runs.emplace_back(start, w);
        if (y > 0 && runs == band) continue;
        closeBand(y);
        band.swap(runs);
        bandTop = y;
    }
    closeBand(h);
    QRegion region;
    if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

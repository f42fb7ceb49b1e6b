#include "toolbar/ToolbarLayout.h"

#include "toolbar/ToolFamilies.h"

#include <algorithm>
#include <limits>
#include <optional>

std::vector<ToolbarItem> toolbarItems() {
    using K = ToolbarItemKind;
    std::vector<ToolbarItem> items = {{K::canvasVisibility}, {K::lock}, {K::pin}, {K::divider}};
    for (DrawingTool t : toolSlotList()) items.push_back({K::toolSlot, t});
    const K rest[] = {K::divider, K::colorSwatch, K::divider,  K::widthControl, K::divider,
                      K::redo,    K::undo,        K::clearAll, K::divider,      K::capture};
    for (K k : rest) items.push_back({k});
    return items;
}

QMarginsF toolbarPadding(ToolbarDockPosition position) {
    using namespace ToolbarMetrics;
    if (isVertical(position)) return QMarginsF(shortPadding, longPadding, shortPadding, longPadding);
    return QMarginsF(longPadding, shortPadding, longPadding, shortPadding);
}

namespace {

using Items = std::vector<ToolbarLineItem>;
constexpr double kNoLine = std::numeric_limits<double>::infinity();

// The first and one past the last item of [from, to) that are not dividers.
std::pair<std::size_t, std::size_t> trimmed(const Items& items, std::size_t from, std::size_t to) {
    while (from < to && items[from].divider) ++from;
    while (to > from && items[to - 1].divider) --to;
    return {from, to};
}

// The length of a line of items [from, to), its end dividers left out;
// infinite for a line with nothing else in it.
double lineLength(const Items& items, std::size_t from, std::size_t to, double spacing) {
    const auto [a, b] = trimmed(items, from, to);
    if (a == b) return kNoLine;
    double length = spacing * double(b - a - 1);
    for (std::size_t i = a; i < b; ++i) length += items[i].length;
    return length;
}

struct Breaking {
    double longest = kNoLine;
    std::vector<std::size_t> starts;
};

// The most even breaking into `lines` lines, breaking only where
// `breakable(i)` allows a line to start at item i.
template <typename Breakable>
Breaking evenest(const Items& items, double spacing, std::size_t lines, Breakable breakable) {
    const std::size_t n = items.size();
    // best[k][i]: the longest line of the most even k lines over items [0, i);
    // from[k][i]: where the last of them starts.
    std::vector<std::vector<double>> best(lines + 1, std::vector<double>(n + 1, kNoLine));
    std::vector<std::vector<std::size_t>> from(lines + 1, std::vector<std::size_t>(n + 1, 0));
    for (std::size_t i = 1; i <= n; ++i) best[1][i] = lineLength(items, 0, i, spacing);
    for (std::size_t k = 2; k <= lines; ++k) {
        for (std::size_t i = k; i <= n; ++i) {
            if (i < n && !breakable(i)) continue;
            for (std::size_t j = k - 1; j < i; ++j) {
                if (!breakable(j) || best[k - 1][j] == kNoLine) continue;
                const double longest = std::max(best[k - 1][j], lineLength(items, j, i, spacing));
                if (longest < best[k][i]) {
                    best[k][i] = longest;
                    from[k][i] = j;
                }
            }
        }
    }
    Breaking result;
    result.longest = best[lines][n];
    if (result.longest == kNoLine) return result;
    result.starts.resize(lines);
    std::size_t end = n;
    for (std::size_t k = lines; k >= 1; --k) {
        const std::size_t start = k == 1 ? 0 : from[k][end];
        result.starts[k - 1] = start;
        end = start;
    }
    return result;
}

} // namespace

std::vector<std::size_t> toolbarLineStarts(const Items& items, double spacing, double maxLength) {
    const std::size_t n = items.size();
    if (n == 0 || lineLength(items, 0, n, spacing) <= maxLength) return {0};
    const auto atDivider = [&](std::size_t i) { return items[i].divider; };
    const auto anywhere = [](std::size_t) { return true; };
    Breaking fallback;
    for (std::size_t lines = 2; lines <= n; ++lines) {
        const Breaking groups = evenest(items, spacing, lines, atDivider);
        if (groups.longest <= maxLength) return groups.starts;
        const Breaking any = evenest(items, spacing, lines, anywhere);
        if (any.longest <= maxLength) return any.starts;
        if (any.longest < fallback.longest) fallback = any;
    }
    // An item longer than the screen: the breaking that comes closest.
    return fallback.starts.empty() ? std::vector<std::size_t>{0} : fallback.starts;
}

bool isShownInLines(const Items& items, const std::vector<std::size_t>& starts, std::size_t index) {
    if (index >= items.size()) return false;
    if (!items[index].divider) return true;
    const auto line = std::upper_bound(starts.begin(), starts.end(), index);
    const std::size_t from = line == starts.begin() ? 0 : *(line - 1);
    const std::size_t to = line == starts.end() ? items.size() : *line;
    const auto [a, b] = trimmed(items, from, to);
    return index >= a && index < b;
}

#pragma once

// The stored text forms of an enumeration's cases. One table per
// enumeration answers both directions, so no enumeration writes its own
// switch and search.

#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace platform {

template <typename E>
struct RawName {
    E value;
    std::string_view raw; // ASCII
};

template <typename E, std::size_t N>
struct RawValueTable {
    std::array<RawName<E>, N> entries;

    // The case's text; the first entry's for a value outside the enumeration.
    constexpr std::string_view raw(E value) const {
        for (const auto& e : entries)
            if (e.value == value) return e.raw;
        return entries[0].raw;
    }
    QString text(E value) const {
        const auto r = raw(value);
        return QString::fromLatin1(r.data(), static_cast<qsizetype>(r.size()));
    }
    // Exact match only; none for anything else.
    std::optional<E> parse(QStringView text) const {
        for (const auto& e : entries)
            if (text == QLatin1String(e.raw.data(), static_cast<qsizetype>(e.raw.size()))) return e.value;
        return std::nullopt;
    }
};

template <typename E, typename... Names>
constexpr auto rawValueTable(Names... names) {
    return RawValueTable<E, sizeof...(Names)>{{names...}};
}

} // namespace platform

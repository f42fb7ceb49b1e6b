// Relative date phrases, by calendar differences in local time.
#include "platform/RelativeDate.h"

#include <array>

namespace platform {

namespace {

struct Unit {
    const char* singular;
    const char* plural;
    const char* lastName; // the named form of one unit back, if any
    const char* nextName; // and of one unit ahead
};

constexpr std::array<Unit, 7> kUnits{{
    {"year", "years", "last year", "next year"},
    {"month", "months", "last month", "next month"},
    {"week", "weeks", "last week", "next week"},
    {"day", "days", "yesterday", "tomorrow"},
    {"hour", "hours", nullptr, nullptr},
    {"minute", "minutes", nullptr, nullptr},
    {"second", "seconds", nullptr, nullptr},
}};

// Whole calendar units from `from` to `to` (from <= to), largest first.
std::array<qint64, 7> difference(const QDateTime& from, const QDateTime& to) {
    qint64 years = to.date().year() - from.date().year();
    if (from.addYears(int(years)) > to) --years;
    const QDateTime afterYears = from.addYears(int(years));
    qint64 months = (to.date().year() - afterYears.date().year()) * 12 + to.date().month() - afterYears.date().month();
    if (afterYears.addMonths(int(months)) > to) --months;
    const QDateTime afterMonths = afterYears.addMonths(int(months));
    qint64 days = afterMonths.date().daysTo(to.date());
    if (afterMonths.addDays(days) > to) --days;
    const qint64 seconds = afterMonths.addDays(days).secsTo(to);
    return {years, months, days / 7, days % 7, seconds / 3600, seconds % 3600 / 60, seconds % 60};
}

} // namespace

QString relativeDatePhrase(const QDateTime& date, const QDateTime& reference) {
    if (!date.isValid() || !reference.isValid()) return {};
    const bool past = date <= reference;
    const QDateTime from = (past ? date : reference).toLocalTime();
    const QDateTime to = (past ? reference : date).toLocalTime();
    const auto amounts = difference(from, to);
    for (std::size_t i = 0; i < kUnits.size(); ++i) {
        const qint64 n = amounts[i];
        if (n <= 0) continue;
        const Unit& unit = kUnits[i];
        if (n == 1 && unit.lastName) return QString::fromLatin1(past ? unit.lastName : unit.nextName);
        const QString amount = QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? unit.singular : unit.plural));
        return past ? amount + QStringLiteral(" ago") : QStringLiteral("in ") + amount;
    }
    return QStringLiteral("now");
}

} // namespace platform

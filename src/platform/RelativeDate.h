#pragma once

// Dates told relative to another moment, in words.

#include <QDateTime>
#include <QString>

namespace platform {

// How `date` looks from `reference`: the largest calendar unit that differs
// (years, months, weeks, days, hours, minutes, seconds), spelt out in full
// ("5 minutes ago", "in 2 weeks"), with names where there are some
// ("yesterday", "last week", "next month", "now"). Empty for invalid dates.
QString relativeDatePhrase(const QDateTime& date, const QDateTime& reference);

} // namespace platform

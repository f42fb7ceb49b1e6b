#pragma once

// Ordering of the version strings that update feeds carry.

#include <QStringView>

#include <compare>

namespace platform {

// Compares two version strings component by component. Runs of ASCII digits
// are numbers compared by value ("1.10" > "1.9", any length), runs of letters
// are words compared without regard to case, and everything else separates.
// A missing component counts as the number 0, and a word sorts below every
// number, so "1.0" == "1.0.0", "1.0.1" > "1.0" and "1.0b2" < "1.0".
// Every pair of strings has an answer and the order is transitive.
std::weak_ordering compareVersions(QStringView a, QStringView b);

} // namespace platform

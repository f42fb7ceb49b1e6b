#pragma once

// What the about panel says: the version and build from the bundle, the
// maker's notice with its years, and the about document.

#include <QString>

namespace platform {
class Bundle;
}

namespace AboutText {

// Every rule line is this many U+2550; no line of the document is longer
// than the monospaced column.
inline constexpr int kRuleLength = 50;
inline constexpr int kColumnWidth = 52;
// The first year of the notice.
inline constexpr int kFirstYear = 2026;

// The bundle's short version, "1.0" without one.
QString appVersion(const platform::Bundle& bundle);
// The bundle's build number, "1" without one.
QString buildNumber(const platform::Bundle& bundle);
// "2026" up to that year, "2026–<year>" after it.
QString yearText(int year);
// The footer's notice with the year text of `year`.
QString notice(int year);
// The whole document, ending with a line break.
QString aboutText(const QString& appVersion, const QString& buildNumber);

} // namespace AboutText

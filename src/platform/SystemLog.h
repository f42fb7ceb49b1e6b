#pragma once

// Messages for the system log.

#include <QString>

namespace platform {

// Messages for the system log (syslog, under the identifier "overink"), each
// also written once to standard error, where a terminal or a session log
// sees it.
class SystemLog {
public:
    static void error(const QString& message);
    static void warning(const QString& message);
    static void info(const QString& message);
};

} // namespace platform

#pragma once

#include <QString>

namespace platform {

// Messages for the system log (syslog), under the identifier "overink".
class SystemLog {
public:
    static void error(const QString& message);
    static void info(const QString& message);
};

} // namespace platform

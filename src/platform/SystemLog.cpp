#include "platform/SystemLog.h"

#include <syslog.h>

namespace platform {

namespace {
void write(int priority, const QString& message) {
    static const bool opened = [] {
        openlog("overink", LOG_PID, LOG_USER);
        return true;
    }();
    (void)opened;
    syslog(priority, "%s", message.toUtf8().constData());
}
} // namespace

void SystemLog::error(const QString& message) { write(LOG_ERR, message); }
void SystemLog::info(const QString& message) { write(LOG_INFO, message); }

} // namespace platform

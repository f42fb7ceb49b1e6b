#include "platform/SystemLog.h"

#include <cstdio>
#include <syslog.h>

namespace platform {

namespace {
void write(int priority, const QString& message) {
    static const bool kOpened = [] {
        openlog("overink", LOG_PID, LOG_USER);
        return true;
    }();
    (void)kOpened;
    const QByteArray text = message.toUtf8();
    syslog(priority, "%s", text.constData());
    // One call per line, so lines of different threads do not interleave.
    std::fprintf(stderr, "overink: %s\n", text.constData());
}
} // namespace

void SystemLog::error(const QString& message) { write(LOG_ERR, message); }
void SystemLog::warning(const QString& message) { write(LOG_WARNING, message); }
void SystemLog::info(const QString& message) { write(LOG_INFO, message); }

} // namespace platform

#include "platform/Xdg.h"

#include <QDir>

#include <pwd.h>
#include <unistd.h>

namespace platform::xdg {

namespace {
QString absoluteEnv(const char* name) {
    const QString v = qEnvironmentVariable(name);
    return QDir::isAbsolutePath(v) ? QDir::cleanPath(v) : QString();
}
} // namespace

QString home() {
    QString h = absoluteEnv("HOME");
    if (!h.isEmpty()) return h;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return QString::fromLocal8Bit(pw->pw_dir);
    return QDir::tempPath();
}

QString configHome() {
    const QString v = absoluteEnv("XDG_CONFIG_HOME");
    return v.isEmpty() ? home() + "/.config" : v;
}

QString dataHome() {
    const QString v = absoluteEnv("XDG_DATA_HOME");
    return v.isEmpty() ? home() + "/.local/share" : v;
}

} // namespace platform::xdg

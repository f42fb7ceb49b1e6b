// The session type and the desktop's privacy settings.
#include "platform/DesktopSession.h"

#include <QProcess>

namespace platform {

bool isWaylandSession(const QProcessEnvironment& env) {
    return env.value(QStringLiteral("XDG_SESSION_TYPE")).compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0 ||
           !env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
}

QStringList privacySettingsCommand(const QProcessEnvironment& env) {
    // XDG_CURRENT_DESKTOP is a colon-separated list, most specific first.
    const QStringList desktops =
        env.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& d : desktops) {
        if (d.compare(QLatin1String("GNOME"), Qt::CaseInsensitive) == 0)
            return {QStringLiteral("gnome-control-center"), QStringLiteral("privacy")};
    }
    return {};
}

bool openPrivacySettings() {
    const QStringList command = privacySettingsCommand();
    if (command.isEmpty()) return false;
    return QProcess::startDetached(command.front(), command.mid(1));
}

} // namespace platform

#pragma once

// What the program needs to know of the desktop session around it.

#include <QProcessEnvironment>
#include <QStringList>

namespace platform {

// Whether the session is a Wayland one. The program then runs through
// XWayland, whose root window does not show the other programs' windows.
bool isWaylandSession(const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// The program and arguments that open the desktop's privacy settings; empty
// when the desktop is not one whose settings we know.
QStringList privacySettingsCommand(const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// Starts that command; false when none is known or it could not be started.
bool openPrivacySettings();

} // namespace platform

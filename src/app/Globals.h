#pragma once

// Names and routines that windows and panels share without holding each
// other: the notification names, and the lowering of our floating windows
// around a modal alert.

#include "platform/Window.h"

#include <QPointer>
#include <QString>

#include <vector>

namespace Notifications {
// The toolbar's typed-width field takes keyboard focus: the toolbar panel
// may become the key window.
inline const QString toolbarRequestKey = QStringLiteral("ToolbarRequestKey");
// That field's entry was committed or cancelled: the panel gives up focus.
inline const QString toolbarResignKey = QStringLiteral("ToolbarResignKey");
// The toolbar's capture button: take a screenshot.
inline const QString screenCaptureRequested = QStringLiteral("ScreenCaptureRequested");
} // namespace Notifications

// A window with the level it had before it was lowered.
struct RememberedWindowLevel {
    QPointer<platform::Window> window;
    int level = 0;
};

// Every window of ours at the overlay level or above goes down to the
// ordinary level, so that a modal alert is not hidden beneath them; the old
// levels are returned for restoreWindowLevels().
std::vector<RememberedWindowLevel> lowerHighLevelWindows();
// Puts the levels back, in order, and brings the visible windows to the
// front without giving them keyboard focus. Windows gone since are skipped.
void restoreWindowLevels(const std::vector<RememberedWindowLevel>& remembered);

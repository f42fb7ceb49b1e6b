#pragma once

// The names of the notifications that windows and panels send one another
// through platform::NotificationCenter without holding each other.

#include <QString>

// Named as the notifications they stand for.
// NOLINTBEGIN(readability-identifier-naming)
namespace Notifications {
// The toolbar's typed-width field takes keyboard focus: the toolbar panel
// may become the key window.
inline const QString toolbarRequestKey = QStringLiteral("ToolbarRequestKey");
// That field's entry was committed or cancelled: the panel gives up focus.
inline const QString toolbarResignKey = QStringLiteral("ToolbarResignKey");
// The colour picker's harmony-name field takes and gives up keyboard focus.
inline const QString colorPickerRequestKey = QStringLiteral("ColorPickerRequestKey");
inline const QString colorPickerResignKey = QStringLiteral("ColorPickerResignKey");
// The toolbar's capture button: take a screenshot.
inline const QString screenCaptureRequested = QStringLiteral("ScreenCaptureRequested");
} // namespace Notifications
// NOLINTEND(readability-identifier-naming)
